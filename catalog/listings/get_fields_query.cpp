#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/listings.hpp"

namespace qz::listings {

void query_fields(const engine::Database& database, const Separators& separators,
                  std::u16string_view query_name, ListingOutput& output) {
    const auto query = find_catalog_entry(*database.QueryDefs(), query_name);
    if (!query) {
        output.text() += query_not_found;
        return;
    }
    describe_fields(*query->Fields(), separators, output);
}

}  // namespace qz::listings

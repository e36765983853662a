#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/listings.hpp"

namespace qz::listings {

void table_fields(const engine::Database& database, const Separators& separators,
                  std::u16string_view table_name, ListingOutput& output) {
    const auto table = find_catalog_entry(*database.TableDefs(), table_name);
    if (!table) {
        output.text() += table_not_found;
        return;
    }
    describe_fields(*table->Fields(), separators, output);
}

}  // namespace qz::listings

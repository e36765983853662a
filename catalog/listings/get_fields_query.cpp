#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/listings.hpp"

namespace qz::listings {

std::u16string query_fields(const engine::Database& database, const Separators& separators,
                            std::u16string_view query_name) {
    const auto query = find_catalog_entry(*database.QueryDefs(), query_name);
    if (!query) return std::u16string(query_not_found);
    return describe_fields(*query->Fields(), separators);
}

}  // namespace qz::listings

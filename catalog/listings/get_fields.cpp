#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/listings.hpp"

namespace qz::listings {

std::u16string table_fields(const engine::Database& database, const Separators& separators,
                            std::u16string_view table_name) {
    const auto table = find_catalog_entry(*database.TableDefs(), table_name);
    if (!table) return std::u16string(table_not_found);
    return describe_fields(*table->Fields(), separators);
}

}  // namespace qz::listings

#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {

std::u16string qz_cls_odbc_access::get_fields(std::u16string strTable, std::u16string /*strPathFile*/) {
    const auto table = listings::find_catalog_entry(*database().TableDefs(), strTable);
    if (!table) return std::u16string(listings::table_not_found);
    return listings::describe_fields(*table->Fields(), *this);
}

}  // namespace qz

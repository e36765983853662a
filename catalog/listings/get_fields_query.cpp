#include "catalog/listings/describe_field.hpp"
#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {

std::u16string qz_cls_odbc_access::get_fields_query(std::u16string strQuery) {
    const auto query = listings::find_catalog_entry(*database().QueryDefs(), strQuery);
    if (!query) return std::u16string(listings::query_not_found);
    return listings::describe_fields(*query->Fields(), *this);
}

}  // namespace qz

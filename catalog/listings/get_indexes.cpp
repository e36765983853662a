#include <cstdint>

#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {

std::u16string qz_cls_odbc_access::get_indexes(std::u16string strTable) {
    const auto table = listings::find_catalog_entry(*database().TableDefs(), strTable);
    if (!table) return std::u16string(listings::table_not_found);
    const auto indexes = table->Indexes();
    std::u16string listing;
    const std::int16_t count = indexes->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto index = indexes->Item(position);
        const std::u16string name = index->Name();
        const bool clustered = index->Clustered();
        const std::u16string fields = index->Fields();
        const bool foreign = index->Foreign();
        const bool ignore_nulls = index->IgnoreNulls();
        const bool primary = index->Primary();
        const bool required = index->Required();
        const bool unique = index->Unique();

        listings::RecordText record(strSep2, strSep3);
        record.item(u"name", name)
            .item(u"clustered", listings::boolean_text(clustered))
            .item(u"fields", fields)
            .item(u"foreign", listings::boolean_text(foreign))
            .item(u"ignore_nulls", listings::boolean_text(ignore_nulls))
            .item(u"primary", listings::boolean_text(primary))
            .item(u"required", listings::boolean_text(required))
            .item(u"unique", listings::boolean_text(unique));
        listings::append_record(listing, strSep1, record.text());
    }
    return listing;
}

}  // namespace qz

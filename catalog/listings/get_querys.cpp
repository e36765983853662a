#include <cstdint>

#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {

std::u16string qz_cls_odbc_access::get_querys() {
    const locale::DateText dates;
    const auto queries = database().QueryDefs();
    std::u16string listing;
    const std::int16_t count = queries->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto query = queries->Item(position);
        const std::u16string name = query->Name();
        const std::u16string date_created = dates.format(query->DateCreated());
        const std::u16string last_updated = dates.format(query->LastUpdated());
        const std::int16_t field_count = query->Fields()->Count();

        listings::RecordText record(strSep2, strSep3);
        record.item(u"id", listings::integer_text(position))
            .item(u"name", name)
            .item(u"date_created", date_created)
            .item(u"last_updated", last_updated)
            .item(u"fields", listings::integer_text(field_count));
        listings::append_record(listing, strSep1, record.text());
    }
    return listing;
}

}  // namespace qz

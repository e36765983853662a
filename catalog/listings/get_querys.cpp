#include <cstdint>

#include "catalog/listings/listings.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {

std::u16string queries(const engine::Database& database, const Separators& separators) {
    const locale::DateText dates;
    const auto queries = database.QueryDefs();
    std::u16string listing;
    const std::int16_t count = queries->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto query = queries->Item(position);
        const std::u16string name = query->Name();
        const std::u16string date_created = dates.format(query->DateCreated());
        const std::u16string last_updated = dates.format(query->LastUpdated());
        const std::int16_t field_count = query->Fields()->Count();

        RecordText record(separators.item, separators.key);
        record.item(u"id", integer_text(position))
            .item(u"name", name)
            .item(u"date_created", date_created)
            .item(u"last_updated", last_updated)
            .item(u"fields", integer_text(field_count));
        append_record(listing, separators.record, record.text());
    }
    return listing;
}

}  // namespace qz::listings

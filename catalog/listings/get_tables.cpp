#include <cstdint>

#include "catalog/listings/listings.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {
namespace {

// "tab" keeps the ordinary local tables (no attribute bits), "sys" the system, hidden and linked ones,
// the empty text all of them; any other text (other letter case, added blanks) none.
bool included(std::u16string_view selector, std::int32_t attributes) {
    if (selector == u"tab") return attributes == 0;
    if (selector == u"sys") return attributes != 0;
    return selector.empty();
}

}  // namespace

std::u16string tables(const engine::Database& database, const Separators& separators,
                      std::u16string_view selector) {
    const locale::DateText dates;
    const auto tables = database.TableDefs();
    std::u16string listing;
    const std::int16_t count = tables->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto table = tables->Item(position);
        if (!included(selector, table->Attributes())) continue;
        const std::u16string name = table->Name();
        const std::u16string date_created = dates.format(table->DateCreated());
        const std::u16string last_updated = dates.format(table->LastUpdated());
        const std::int16_t field_count = table->Fields()->Count();
        const std::int16_t index_count = table->Indexes()->Count();
        const std::int32_t attributes = table->Attributes();

        RecordText record(separators.item, separators.key);
        record.item(u"id", integer_text(position))
            .item(u"name", name)
            .item(u"date_created", date_created)
            .item(u"last_updated", last_updated)
            .item(u"fields", integer_text(field_count))
            .item(u"indexes", integer_text(index_count))
            .item(u"attributes", integer_text(attributes));
        append_record(listing, separators.record, record.text());
    }
    return listing;
}

}  // namespace qz::listings

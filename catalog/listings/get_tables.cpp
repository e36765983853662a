#include <cstdint>

#include "catalog/listings/entry_items.hpp"
#include "catalog/listings/listing_output.hpp"
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

void tables(const engine::Database& database, const Separators& separators, std::u16string_view selector,
            ListingOutput& output) {
    const locale::DateText dates;
    const auto tables = database.TableDefs();
    const std::int16_t count = tables->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto table = tables->Item(position);
        const std::int32_t attributes = table->Attributes();
        if (!included(selector, attributes)) continue;
        // Values go straight into the listing; one that cannot be written (a date out of range) fails the
        // whole listing, so a record left half written is never seen.
        RecordText record(output.text(), output.empty(), separators.record, separators.item, separators.key);
        write_entry_items(record, position, *table, dates);
        append_integer(record.value_of(u"fields"), table->Fields()->Count());
        append_integer(record.value_of(u"indexes"), table->Indexes()->Count());
        append_integer(record.value_of(u"attributes"), attributes);
        output.record_written();
    }
}

}  // namespace qz::listings

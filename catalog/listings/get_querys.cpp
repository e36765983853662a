#include <cstdint>

#include "catalog/listings/entry_items.hpp"
#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/listings.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {

void queries(const engine::Database& database, const Separators& separators, ListingOutput& output) {
    const locale::DateText dates;
    const auto queries = database.QueryDefs();
    const std::int16_t count = queries->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto query = queries->Item(position);
        // Values go straight into the listing; one that cannot be written fails the whole listing, so a
        // record left half written is never seen.
        RecordText record(output.text(), output.empty(), separators.record, separators.item, separators.key);
        write_entry_items(record, position, *query, dates);
        append_integer(record.value_of(u"fields"), query->Fields()->Count());
        output.record_written();
    }
}

}  // namespace qz::listings

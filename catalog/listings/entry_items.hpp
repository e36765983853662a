#pragma once
// The items a table record and a query record both begin with: the entry's position in its collection, its
// name and its two dates.

#include <cstdint>

#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"
#include "platform/locale/date_text.hpp"

namespace qz::listings {

template <class Entry>
void write_entry_items(RecordText& record, std::int16_t position, const Entry& entry,
                       const locale::DateText& dates) {
    append_integer(record.value_of(u"id"), position);
    record.item(u"name", entry.Name());
    dates.append(record.value_of(u"date_created"), entry.DateCreated());
    dates.append(record.value_of(u"last_updated"), entry.LastUpdated());
}

}  // namespace qz::listings

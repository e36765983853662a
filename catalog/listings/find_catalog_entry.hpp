#pragma once
// Finds a table or a query by its position in the collection or by its name: the first position whose
// decimal text equals `wanted` without its leading and trailing blanks, or whose name equals `wanted`
// exactly (case-sensitive, untrimmed). So "2" finds a table named 2 at position 0 ahead of position 2.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/listings/value_text.hpp"
#include "catalog/session/engine.hpp"

namespace qz::listings {

inline constexpr std::u16string_view table_not_found = u"Tabela não encotrada !";
inline constexpr std::u16string_view query_not_found = u"Query não encotrada !";

// `wanted` without leading and trailing U+0020 (tabs and other blanks stay).
std::u16string_view without_surrounding_spaces(std::u16string_view wanted);

// The entry found, or nothing.
template <class Entry>
std::unique_ptr<Entry> find_catalog_entry(const engine::Collection<Entry>& entries,
                                          std::u16string_view wanted) {
    const std::u16string_view wanted_position = without_surrounding_spaces(wanted);
    const std::int16_t count = entries.Count();
    for (std::int16_t position = 0; position < count; ++position) {
        std::unique_ptr<Entry> entry = entries.Item(position);
        const bool position_matches = integer_text(position) == wanted_position;
        const bool name_matches = entry->Name() == wanted;
        if (position_matches || name_matches) return entry;
    }
    return nullptr;
}

}  // namespace qz::listings

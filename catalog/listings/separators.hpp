#pragma once
// The six separators a listing writes with, as `connect` received them.

#include <string_view>

namespace qz::listings {

struct Separators {
    // Between records, between the items of a record, between a key and its value.
    std::u16string_view record;
    std::u16string_view item;
    std::u16string_view key;
    // The same three roles inside the "fields" value of a relation record.
    std::u16string_view inner_record;
    std::u16string_view inner_item;
    std::u16string_view inner_key;
};

}  // namespace qz::listings

#pragma once
// Byte strings and texts written as lists of numbers, so that tests show the exact bytes and units.

#include <initializer_list>
#include <string>

namespace qz::test {

inline std::string bytes(std::initializer_list<unsigned> values) {
    std::string result;
    for (const unsigned value : values) result.push_back(static_cast<char>(value));
    return result;
}

inline std::u16string units(std::initializer_list<unsigned> values) {
    std::u16string result;
    for (const unsigned value : values) result.push_back(static_cast<char16_t>(value));
    return result;
}

}  // namespace qz::test

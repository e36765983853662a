#pragma once
// Where a row lies: the address row pointers store, in data rows, index entries and long-value references.

#include <cstdint>

namespace qz::jet {

// A row pointer as stored: row number in the low byte, page number in the upper three (reference 0). The row
// is the entry of the page's row-offset table.
struct RowAddress {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
    static RowAddress from_stored(std::uint32_t stored) {
        return {stored >> 8, static_cast<std::uint8_t>(stored & 0xFF)};
    }
    bool operator==(const RowAddress&) const = default;
};

}  // namespace qz::jet

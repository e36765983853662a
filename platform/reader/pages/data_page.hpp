#pragma once
// Data pages (reference 2.2, 2.3, 4.6): the row-offset table, row boundaries, deleted and overflow rows.

#include <cstdint>
#include <optional>
#include <span>

#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/pages/row_address.hpp"

namespace qz::jet {

// Page kinds by their first byte (reference 2.1).
inline constexpr std::uint8_t data_page_type = 0x01;
inline constexpr std::uint8_t table_definition_page_type = 0x02;
inline constexpr std::uint8_t usage_map_page_type = 0x05;

// The bytes of one row, with the page that holds them kept alive.
struct RowBytes {
    PageBytes page;
    std::span<const std::uint8_t> bytes;
};

// The number of rows in the row-offset table of data page `page`; 3049 when the table does not fit.
std::uint16_t data_page_row_count(const PageFile& file, const std::vector<std::uint8_t>& page);

// Row `row` of data page `page`: nullopt when the slot is deleted; an overflow stub is followed to the row
// it points at. 3049 when the page is not a data page or the slot is out of place.
std::optional<RowBytes> read_row(const PageFile& file, RowAddress address);

// Like read_row, but also returns rows flagged deleted and does not follow overflow stubs: long-value rows
// are addressed this way.
RowBytes read_raw_row(const PageFile& file, RowAddress address);

}  // namespace qz::jet

#pragma once
// Long values (Memo, OLE; reference section 5): inline, on one long-value row, or on a chain of rows.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/reader/pages/page_file.hpp"

namespace qz::jet {

// The bytes of the long value whose 12-byte header (and inline data) is `column_value`. Chains are followed
// with loop detection and stop at the declared length; 3049 for any inconsistency. `budget` holds the bytes
// that the long values read together may still take: the declared length must fit and is taken from it.
std::vector<std::uint8_t> read_long_value(const PageFile& file, std::span<const std::uint8_t> column_value,
                                          std::uint64_t& budget);

// The bytes all the long values of `file` can hold together: its size. Every long value lives in rows of
// its own, so the values of one table's rows fit in that budget; rows that share one value would make
// memory grow far beyond the file's size.
std::uint64_t long_value_capacity(const PageFile& file);

// The length the long-value header `column_value` declares; 0 when it is too short to hold a header.
std::uint32_t declared_long_value_length(std::span<const std::uint8_t> column_value);

}  // namespace qz::jet

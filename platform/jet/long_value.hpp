#pragma once
// Long values (Memo, OLE; reference section 5): inline, on one long-value row, or on a chain of rows.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/jet/page_file.hpp"

namespace qz::jet {

// The bytes of the long value whose 12-byte header (and inline data) is `column_value`. Chains are followed
// with loop detection and stop at the declared length; 3049 for any inconsistency.
std::vector<std::uint8_t> read_long_value(const PageFile& file, std::span<const std::uint8_t> column_value);

}  // namespace qz::jet

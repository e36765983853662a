#pragma once
// UTF-16LE, the byte order in which the database files, the Office encryption headers and iconv hand over
// UTF-16 text: one pair of conversions for all of them.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qz::text {

// The code units of UTF-16LE `bytes`; an odd last byte is left out.
std::u16string utf16le_to_utf16(std::span<const std::uint8_t> bytes);
std::u16string utf16le_to_utf16(std::string_view bytes);
// `text` as UTF-16LE bytes.
std::string utf16_to_utf16le(std::u16string_view text);

}  // namespace qz::text

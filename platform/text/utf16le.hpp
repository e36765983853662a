#pragma once
// UTF-16LE, the byte order in which the database files, the Office encryption headers and iconv hand over
// UTF-16 text: one pair of conversions for all of them.

#include <bit>
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

// Hands `use` the UTF-16LE bytes of `text`: on a little-endian machine the text's own bytes, not a copy,
// which is what a long listing on its way to a file needs.
template <class Use>
void with_utf16le_bytes(std::u16string_view text, Use use) {
    if constexpr (std::endian::native == std::endian::little) {
        use(std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)));
    } else {
        use(std::string_view(utf16_to_utf16le(text)));
    }
}

}  // namespace qz::text

#pragma once
// Conversions between UTF-16 text and byte encodings, through iconv.

#include <string>
#include <string_view>

namespace qz::text {

// UTF-8 bytes to UTF-16; every byte that does not belong to a valid sequence becomes U+FFFD.
std::u16string utf8_to_utf16(std::string_view bytes);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16_to_utf8(std::u16string_view text);

// Windows-1252, the byte-per-character code page of this system. Its five undefined bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to and from U+0081 ... U+009D so that every byte round-trips; a character the code
// page cannot hold is written as '?'.
std::u16string cp1252_to_utf16(std::string_view bytes);
std::string utf16_to_cp1252(std::u16string_view text);

// Single-byte text in a Windows code page (as Jet 3 files store it) to UTF-16. A code page iconv does not
// know is read as Windows-1252; a byte the code page does not define becomes U+FFFD.
std::u16string windows_code_page_to_utf16(std::string_view bytes, unsigned code_page);

// Text in the character set `charset` (an iconv name, as a locale reports its own) to UTF-16; a byte the
// set does not define becomes U+FFFD. A set iconv does not know is read as UTF-8.
std::u16string charset_to_utf16(std::string_view bytes, const std::string& charset);

}  // namespace qz::text

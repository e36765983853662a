#include "platform/text/code_page.hpp"
#include "text/overflow.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {

void UTF16toUTF8(const std::u16string& Text, std::string& TextOut) {
    require_int32_byte_count(Text.size(), utf8_buffer_bytes_per_unit);
    TextOut = utf16_to_utf8(Text);
}

void UTF8toUTF16(const std::string& Text, std::u16string& TextOut) {
    require_int32_byte_count(Text.size(), utf16_buffer_bytes_per_byte);
    TextOut = utf8_to_utf16(Text);
}

}  // namespace qz::text

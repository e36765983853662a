#include <string_view>

#include "platform/text/code_page.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {

std::u16string UTF8_Encode(const std::u16string& Text) {
    // The text ends at its first U+0000, as a terminated string would.
    const std::u16string_view before_terminator = std::u16string_view(Text).substr(0, Text.find(u'\0'));
    return cp1252_to_utf16(utf16_to_utf8(before_terminator));
}

}  // namespace qz::text

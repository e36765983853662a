#include "platform/reader/records/text_value.hpp"

#include <string_view>

#include "platform/text/code_page.hpp"
#include "platform/text/utf16le.hpp"

namespace qz::jet {

std::u16string plain_text(std::span<const std::uint8_t> bytes, bool jet3, unsigned code_page) {
    if (!jet3) return text::utf16le_to_utf16(bytes);
    return text::windows_code_page_to_utf16(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), code_page);
}

std::u16string text_value(std::span<const std::uint8_t> bytes, bool jet3, unsigned code_page) {
    if (jet3 || bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return plain_text(bytes, jet3, code_page);
    // Compressed: one byte per character (high byte zero) until a 0x00 byte switches to UTF-16LE pairs, and
    // back (reference 6.2).
    std::u16string out;
    bool compressed = true;
    std::size_t i = 2;
    while (i < bytes.size()) {
        if (bytes[i] == 0x00) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            out.push_back(static_cast<char16_t>(bytes[i]));
            ++i;
        } else {
            if (i + 1 >= bytes.size()) break;
            out.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
            i += 2;
        }
    }
    return out;
}

}  // namespace qz::jet

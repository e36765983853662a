#include <string>

#include "platform/text/code_page.hpp"
#include "text/overflow.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

void append_byte(std::string& bytes, unsigned value) { bytes.push_back(static_cast<char>(value)); }

// One UTF-16 unit as one to three UTF-8 bytes, by the unit's value alone.
void append_unit_as_utf8(std::string& bytes, char16_t unit) {
    const unsigned code = unit;
    if (code < 0x80) {
        append_byte(bytes, code);
    } else if (code < 0x800) {
        append_byte(bytes, 0xC0 | (code >> 6));
        append_byte(bytes, 0x80 | (code & 0x3F));
    } else {
        append_byte(bytes, 0xE0 | (code >> 12));
        append_byte(bytes, 0x80 | ((code >> 6) & 0x3F));
        append_byte(bytes, 0x80 | (code & 0x3F));
    }
}

}  // namespace

std::u16string Encode_UTF8(const std::u16string& astr) {
    if (astr.size() > longest_unit_by_unit_text) raise_overflow();
    std::string bytes;
    bytes.reserve(3 * astr.size());
    for (const char16_t unit : astr) append_unit_as_utf8(bytes, unit);
    return cp1252_to_utf16(bytes);
}

}  // namespace qz::text

#pragma once
// Code points in UTF-16 text, for the code that looks past code units: paths, names compared by letter case.

#include <string>
#include <string_view>

namespace qz::text {

// The code point at `i`, moving `i` past it; a lone surrogate comes back as itself.
inline char32_t next_code_point(std::u16string_view text, std::size_t& i) {
    const char16_t unit = text[i++];
    if (unit < 0xD800 || unit > 0xDBFF || i == text.size() || text[i] < 0xDC00 || text[i] > 0xDFFF)
        return unit;
    return 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i++] - 0xDC00);
}

inline bool is_surrogate(char32_t code_point) { return code_point >= 0xD800 && code_point <= 0xDFFF; }

inline void append_code_point(std::u16string& text, char32_t code_point) {
    if (code_point < 0x10000) {
        text.push_back(static_cast<char16_t>(code_point));
        return;
    }
    code_point -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
}

}  // namespace qz::text

#include "platform/query/names.hpp"

namespace qz::query {

namespace {

char16_t fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 0x20);
    // Latin Extended-A pairs upper and lower case on neighbouring code points: the capital is even up to
    // U+0137 and from U+014A to U+0177, odd from U+0139 to U+0148 and from U+0179 to U+017E. Ÿ's small
    // letter is in Latin-1.
    if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return static_cast<char16_t>(c + 1);
    if (c >= 0x139 && c <= 0x148 && c % 2 == 1) return static_cast<char16_t>(c + 1);
    if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return static_cast<char16_t>(c + 1);
    if (c == 0x178) return 0xFF;
    if (c >= 0x179 && c <= 0x17E && c % 2 == 1) return static_cast<char16_t>(c + 1);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    // Greek capitals with tonos sit apart from the rest, and final sigma is sigma wherever it stands.
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 0x25);
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 0x3F);
    if (c == 0x3C2) return 0x3C3;
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    // Latin Extended Additional (Vietnamese and others) pairs them on even and odd code points.
    if (((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) && c % 2 == 0)
        return static_cast<char16_t>(c + 1);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

}  // namespace

std::u16string fold_case(std::u16string_view text) {
    std::u16string folded(text);
    for (char16_t& c : folded) c = fold(c);
    return folded;
}

bool same_name(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::u16string ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace qz::query

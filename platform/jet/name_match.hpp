#pragma once
// Access compares object, column and property names without regard to letter case.

#include <string>
#include <string_view>

namespace qz::jet {

inline char16_t folded_letter(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

inline bool same_name(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (folded_letter(a[i]) != folded_letter(b[i])) return false;
    }
    return true;
}

// The key under which same_name finds `name`: names that are the same name have equal keys.
inline std::u16string name_key(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& c : key) c = folded_letter(c);
    return key;
}

}  // namespace qz::jet

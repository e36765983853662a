#pragma once
// Access compares object, column and property names without regard to letter case.

#include <string>
#include <string_view>
#include <unordered_map>

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

// Values by name, found as Access finds an object: the one spelt the same, else the first added that differs
// only in letter case. Built once, it finds each name at once however many there are.
template <class Value>
class NameIndex {
  public:
    // Keeps the first value of each spelling and of each name key.
    void add(const std::u16string& name, Value value) {
        exact_.emplace(name, value);
        loose_.emplace(name_key(name), std::move(value));
    }

    // Null when no name matches.
    const Value* find(std::u16string_view name) const {
        if (const auto exact = exact_.find(std::u16string(name)); exact != exact_.end()) return &exact->second;
        const auto loose = loose_.find(name_key(name));
        return loose == loose_.end() ? nullptr : &loose->second;
    }

  private:
    std::unordered_map<std::u16string, Value> exact_;
    std::unordered_map<std::u16string, Value> loose_;
};

}  // namespace qz::jet

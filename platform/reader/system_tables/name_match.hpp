#pragma once
// Access compares object, column and property names without regard to letter case under the General sort
// order. The query compiler compares the names a query holds by the same rule, so one implementation
// serves both.

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/query/names.hpp"

namespace qz::jet {

using query::same_name;

// The key under which same_name finds `name`: names that are the same name have equal keys.
inline std::u16string name_key(std::u16string_view name) { return query::fold_case(name); }

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

#pragma once
// What a bounds-checked read of the file's pages raises when it falls outside its bytes.

#include <string>
#include <string_view>

namespace qz::jet {

// Raises error 3049 naming the database file and what was wrong in it.
[[noreturn]] void throw_damaged(const std::u16string& path, std::string_view what);

}  // namespace qz::jet

#pragma once
// The two ways opening a protected file fails. Neither description ever carries the password.

#include <string>

namespace qz::crypto {

// 3031 "Not a valid password.": the password is wrong, missing, or differs in letter case.
[[noreturn]] void throw_wrong_password();
// 3343 "Unrecognized database format '<path>'.": a protection scheme this reader does not know, or an
// encryption header it cannot interpret.
[[noreturn]] void throw_unrecognized_format(const std::u16string& path);

}  // namespace qz::crypto

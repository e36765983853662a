#pragma once
// The two ways opening a protected file fails. Neither description ever carries the password.

#include <string>
#include <string_view>

namespace qz::crypto {

// 3031 "Not a valid password.": the password is wrong, missing, or differs in letter case.
[[noreturn]] void throw_wrong_password();
// 3343 "Unrecognized database format '<path>'.": a protection scheme this reader does not know, or an
// encryption header it cannot interpret.
[[noreturn]] void throw_unrecognized_format(const std::u16string& path);
// The same 3343, for a check `what` of an encryption header that failed (the description does not say which).
[[noreturn]] void throw_uninterpretable_header(const std::u16string& path, std::string_view what);

}  // namespace qz::crypto

#pragma once
// What a bounds-checked read of an encryption header raises when it falls outside its bytes.

#include <string>
#include <string_view>

namespace qz::crypto {

// Raises 3343 "Unrecognized database format '<path>'." for a check `what` of an encryption header that
// failed (the description does not say which, and never carries the password).
[[noreturn]] void throw_uninterpretable_header(const std::u16string& path, std::string_view what);

}  // namespace qz::crypto

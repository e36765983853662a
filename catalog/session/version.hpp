#pragma once
// The version of the library in use, which may be newer than the headers a program was built with.

#pragma GCC visibility push(default)
namespace qz {

// "major.minor.patch".
const char* version() noexcept;

}  // namespace qz
#pragma GCC visibility pop

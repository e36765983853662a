#pragma once
// Bytes held through the global operator new of this test program: the program replaces the operator with a
// counting one, so that a test can bound the memory one piece of work takes.

#include <cstddef>

namespace qz::test::allocation_count {

// Bytes allocated and not yet freed.
std::size_t live_bytes();
// The most live bytes seen since the last restart_peak.
std::size_t peak_bytes();
// Starts a new peak from the bytes live now.
void restart_peak();

}  // namespace qz::test::allocation_count

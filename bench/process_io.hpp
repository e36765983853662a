#pragma once
// What this process has read so far, from the kernel's own accounting (/proc/self/io). The benchmark
// measures the reader's page reads from outside the product this way: every page is one pread.

#include <cstdint>

namespace qz::bench {

struct ProcessIo {
    std::uint64_t read_calls = 0;  // syscr: read and pread calls
    std::uint64_t bytes_read = 0;  // rchar: bytes those calls returned
};

// Zeros when /proc is not mounted, so the counters show 0 rather than stop the benchmark.
ProcessIo process_io();

}  // namespace qz::bench

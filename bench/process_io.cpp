#include "bench/process_io.hpp"

#include <fstream>
#include <string>

namespace qz::bench {

ProcessIo process_io() {
    ProcessIo io;
    std::ifstream source("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (source >> key >> value) {
        if (key == "syscr:") io.read_calls = value;
        if (key == "rchar:") io.bytes_read = value;
    }
    return io;
}

}  // namespace qz::bench

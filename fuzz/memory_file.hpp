#pragma once
// A database file's bytes in an anonymous memory file the reader opens by its /proc path (no file is left
// behind and nothing on disk is touched), read by every listing.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "mutation/every_listing.hpp"

namespace qz::fuzz {

// Closed when it goes out of scope.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes)
        : descriptor_(::memfd_create("qz-fuzz-database", MFD_CLOEXEC)) {
        if (descriptor_ < 0) __builtin_trap();  // the harness itself failed, not the code under test
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t now = ::write(descriptor_, bytes.data() + written, bytes.size() - written);
            if (now <= 0) __builtin_trap();
            written += static_cast<std::size_t>(now);
        }
    }
    ~MemoryFile() { ::close(descriptor_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::filesystem::path path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

  private:
    int descriptor_;
};

// Every listing of the file must end in its text or in a numbered error; anything else is a fault.
inline void list_everything(const MemoryFile& file, const std::string& password) {
    constexpr std::size_t listed_per_kind =
        8;  // enough to reach every kind of object, few enough to stay fast
    const test::ListingOutcomes outcomes = test::run_every_listing(file.path(), password, listed_per_kind);
    for (const std::string& fault : outcomes.faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!outcomes.faults.empty()) __builtin_trap();
}

}  // namespace qz::fuzz

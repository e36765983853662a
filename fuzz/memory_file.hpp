#pragma once
// A database file's bytes in an anonymous memory file, closed with it, that the reader opens by its /proc
// path (nothing on disk is touched); read by every listing.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "mutation/every_listing.hpp"

namespace qz::fuzz {

class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes)
        : descriptor_(::memfd_create("qz-fuzz-database", MFD_CLOEXEC)) {
        if (descriptor_ < 0) __builtin_trap();  // the harness itself failed, not the code under test
        while (!bytes.empty()) {
            const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
            if (written <= 0) __builtin_trap();
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    ~MemoryFile() { ::close(descriptor_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::filesystem::path path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

  private:
    int descriptor_;
};

// Every listing of the file must end in its text or in a numbered error; anything else is a fault. Eight of
// each kind of object reach every kind and keep an input fast.
inline void list_everything(const MemoryFile& file, const std::string& password) {
    const test::ListingOutcomes outcomes = test::run_every_listing(file.path(), password, 8);
    for (const std::string& fault : outcomes.faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!outcomes.faults.empty()) __builtin_trap();
}

}  // namespace qz::fuzz

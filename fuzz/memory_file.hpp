#pragma once
// A database file's bytes in an anonymous memory file the reader opens by its /proc path: no file is left
// behind and nothing on disk is touched.

#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

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

}  // namespace qz::fuzz

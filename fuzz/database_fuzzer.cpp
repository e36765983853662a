// A whole database file from arbitrary bytes, opened as a caller opens it and read by every listing.
// Input: the password in UTF-8, a NUL byte, then the file's bytes. The file is opened with that password
// and, when there is one, once more without it, so that both the refusal and the reading paths are fuzzed.
// The bytes live in an anonymous memory file the reader opens by its /proc path: no file is left behind
// and nothing on disk is touched.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz_input.hpp"
#include "mutation/every_listing.hpp"

namespace {

// Tables and queries described one by one: enough to reach every kind of object in the fixtures, few
// enough that one input stays fast.
constexpr std::size_t listed_per_kind = 8;

// The file's bytes in an anonymous memory file, closed when it goes out of scope.
class MemoryFile {
  public:
    explicit MemoryFile(std::string_view bytes) : descriptor_(::memfd_create("qz-fuzz-database", MFD_CLOEXEC)) {
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

// Every listing must end in its text or in a numbered error; anything else is a fault.
void list_everything(const std::filesystem::path& file, const std::string& password) {
    const qz::test::ListingOutcomes outcomes = qz::test::run_every_listing(file, password, listed_per_kind);
    for (const std::string& fault : outcomes.faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!outcomes.faults.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [password, file_bytes] = qz::fuzz::split_once(qz::fuzz::input_text(data, size), '\0');
    const MemoryFile file(file_bytes);
    list_everything(file.path(), std::string(password));
    if (!password.empty()) list_everything(file.path(), "");
    return 0;
}

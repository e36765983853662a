// A whole database file from arbitrary bytes, opened as a caller opens it and read by every listing.
// Input: the password in UTF-8, a NUL byte, then the file's bytes. The file is opened with that password
// and, when there is one, once more without it, so that both the refusal and the reading paths are fuzzed.
// The bytes live in an anonymous memory file the reader opens by its /proc path: no file is left behind
// and nothing on disk is touched.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fuzz_input.hpp"
#include "memory_file.hpp"
#include "mutation/every_listing.hpp"

namespace {

// Tables and queries described one by one: enough to reach every kind of object in the fixtures, few
// enough that one input stays fast.
constexpr std::size_t listed_per_kind = 8;

// Every listing must end in its text or in a numbered error; anything else is a fault.
void list_everything(const std::filesystem::path& file, const std::string& password) {
    const qz::test::ListingOutcomes outcomes = qz::test::run_every_listing(file, password, listed_per_kind);
    for (const std::string& fault : outcomes.faults) std::fprintf(stderr, "fault: %s\n", fault.c_str());
    if (!outcomes.faults.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [password, file_bytes] = qz::fuzz::split_once(qz::fuzz::input_text(data, size), '\0');
    const qz::fuzz::MemoryFile file(file_bytes);
    list_everything(file.path(), std::string(password));
    if (!password.empty()) list_everything(file.path(), "");
    return 0;
}

// A whole database file from arbitrary bytes, opened as a caller opens it and read by every listing.
// Input: the password in UTF-8, a NUL byte, then the file's bytes. The file is opened with that password
// and, when there is one, once more without it, so that both the refusal and the reading paths are fuzzed.

#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_input.hpp"
#include "memory_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = qz::fuzz::input_text(data, size);
    const std::size_t nul = std::min(input.find('\0'), input.size());
    const std::string password(input.substr(0, nul));
    const qz::fuzz::MemoryFile file(input.substr(std::min(nul + 1, input.size())));
    qz::fuzz::list_everything(file, password);
    if (!password.empty()) qz::fuzz::list_everything(file, "");
    return 0;
}

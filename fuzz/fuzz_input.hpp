#pragma once
// The raw input libFuzzer hands a target, and the entry point it calls once per input.

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qz::fuzz {

inline std::string_view input_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace qz::fuzz

#pragma once
// The raw input libFuzzer hands a target.

#include <cstddef>
#include <cstdint>
#include <string_view>

// The entry point libFuzzer calls once per input; every target defines it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qz::fuzz {

inline std::string_view input_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace qz::fuzz

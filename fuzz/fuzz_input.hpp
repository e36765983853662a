#pragma once
// The raw input libFuzzer hands a target, and the few ways the targets cut it up.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

// The entry point libFuzzer calls once per input; every target defines it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qz::fuzz {

inline std::string_view input_text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The text before the first `separator` and the rest after it; without a separator, all is the head.
inline std::pair<std::string_view, std::string_view> split_once(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}

}  // namespace qz::fuzz

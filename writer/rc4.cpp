#include "writer/rc4.hpp"

#include <array>
#include <utility>

namespace qz::writer {

std::vector<std::uint8_t> rc4_keystream(std::span<const std::uint8_t> key, std::size_t length) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
    std::size_t j = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::vector<std::uint8_t> out(length);
    std::size_t a = 0, b = 0;
    for (auto& byte : out) {
        a = (a + 1) & 0xFF;
        b = (b + s[a]) & 0xFF;
        std::swap(s[a], s[b]);
        byte = s[(s[a] + s[b]) & 0xFF];
    }
    return out;
}

void rc4_apply(std::span<const std::uint8_t> key, std::span<std::uint8_t> bytes) {
    const std::vector<std::uint8_t> stream = rc4_keystream(key, bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] ^= stream[i];
}

}  // namespace qz::writer

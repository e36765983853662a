#pragma once
// The RC4 keystream, which masks the header (reference 1.1) and encodes the pages of an encoded Jet
// database (1.6).

#include <cstdint>
#include <span>
#include <vector>

namespace qz::writer {

std::vector<std::uint8_t> rc4_keystream(std::span<const std::uint8_t> key, std::size_t length);

// XORs `bytes` with the keystream of `key`: RC4 encodes and decodes alike.
void rc4_apply(std::span<const std::uint8_t> key, std::span<std::uint8_t> bytes);

}  // namespace qz::writer

#pragma once
// Byte strings of the key derivations, and the two small operations every Office scheme shares.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace qz::crypto {

using Bytes = std::vector<std::uint8_t>;
using BlockKey = std::array<std::uint8_t, 4>;

inline BlockKey le32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// The key of page n: the file's 4-byte encoding key XORed with n in little-endian order. Jet encoding and
// every Office scheme use it where the Office formats use a block number.
inline BlockKey page_block_key(const BlockKey& encoding_key, std::uint32_t page_number) {
    BlockKey key = le32(page_number);
    for (std::size_t i = 0; i < key.size(); ++i) key[i] ^= encoding_key[i];
    return key;
}

// The first `length` bytes of `bytes`, or `bytes` followed by `pad` bytes up to `length`.
inline Bytes fit(std::span<const std::uint8_t> bytes, std::size_t length, std::uint8_t pad) {
    Bytes result(length, pad);
    for (std::size_t i = 0; i < length && i < bytes.size(); ++i) result[i] = bytes[i];
    return result;
}

}  // namespace qz::crypto

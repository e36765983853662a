#pragma once
// Hashes of the key derivations, computed by OpenSSL libcrypto.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "platform/reader/protection/key_bytes.hpp"

namespace qz::crypto {

enum class HashAlgorithm { md5, sha1, sha256, sha384, sha512 };

std::size_t hash_size(HashAlgorithm algorithm);

// The hash of the concatenation of `parts`.
Bytes hash(HashAlgorithm algorithm, std::initializer_list<std::span<const std::uint8_t>> parts);

// The Office password stretching: `count` times h = H(LE32(i) || h), for i counting up from 0.
Bytes stretch_hash(HashAlgorithm algorithm, Bytes h, std::uint32_t count);

}  // namespace qz::crypto

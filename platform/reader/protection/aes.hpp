#pragma once
// AES decryption by OpenSSL libcrypto, in place and without padding: pages and verifier fields are whole
// blocks, and removing padding would destroy data.

#include <cstdint>
#include <span>

namespace qz::crypto {

inline constexpr std::size_t aes_block_size = 16;

enum class AesChaining { ecb, cbc };

// Decrypts `data` (a multiple of 16 bytes, at most a page or a header field) in place. `key` holds 16, 24 or 32 bytes; `iv` 16 bytes for CBC
// and is ignored for ECB.
void aes_decrypt(AesChaining chaining, std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv,
                 std::span<std::uint8_t> data);

}  // namespace qz::crypto

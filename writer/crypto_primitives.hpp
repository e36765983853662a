#pragma once
// The libcrypto primitives the writer's ACE encryption is made of: SHA-1, SHA-512, AES-CBC (no padding: the
// pages and verifier fields are whole blocks) and base64.

#include <span>
#include <string>

#include "writer/byte_buffer.hpp"

namespace qz::writer {

enum class Hash { sha1, sha512 };

// The hash of the concatenation of `parts`.
Bytes digest(Hash hash, std::initializer_list<std::span<const std::uint8_t>> parts);

// Encrypts `data` in place; its length is a multiple of 16, the key 16, 24 or 32 bytes, the IV 16.
void aes_cbc_encrypt(std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv, std::span<std::uint8_t> data);

std::string base64(std::span<const std::uint8_t> bytes);

}  // namespace qz::writer

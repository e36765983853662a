#pragma once
// Encryption of an ACE file with a password (encryption reference, section 5): the EncryptionInfo that page 0
// carries at 0x29B, and the encryption of every later page.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "writer/access_writer.hpp"
#include "writer/byte_buffer.hpp"

namespace qz::writer {

struct AceEncryptor {
    Bytes encryption_info;
    // Encrypts page `number` (1 or more) in place.
    std::function<void(std::uint32_t number, std::span<std::uint8_t> page)> encrypt_page;
};

// `encoding_key`: the non-zero key at 0x3E, mixed into every page's key. `short_rc4_key`: CryptoAPI RC4 with
// the 40-bit key of Access 2007 (else 128 bits).
AceEncryptor ace_encryptor(AceEncryption scheme, std::u16string_view password, std::uint32_t encoding_key,
                           bool short_rc4_key);

}  // namespace qz::writer

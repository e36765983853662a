#pragma once
// The binary EncryptionInfo of the CryptoAPI schemes (versions 2.2, 3.2 and 4.2): an EncryptionHeader naming
// the cipher, hash and key size, then an EncryptionVerifier with the salt and the encrypted verifier.

#include <cstddef>
#include <cstdint>

#include "platform/reader/protection/header_reader.hpp"
#include "platform/reader/protection/key_bytes.hpp"

namespace qz::crypto {

enum class CryptoApiScheme {
    rc4,           // RC4 CryptoAPI: SHA-1 of salt and password, RC4 per page
    standard_aes,  // Standard encryption (fAES set): SHA-1 stretched 50000 times, AES-ECB per page
    plain_aes,     // CryptoAPI AES without fAES: as standard, without stretching
};

struct CryptoApiEncryptionInfo {
    CryptoApiScheme scheme = CryptoApiScheme::rc4;
    // Key size in bytes: 5 to 16 for RC4; 16, 24 or 32 for AES.
    std::size_t key_size = 0;
    Bytes salt;
    Bytes encrypted_verifier;
    // The SHA-1 of the verifier, encrypted; for AES padded to two blocks.
    Bytes encrypted_verifier_hash;
};

// Reads the EncryptionInfo that follows the version numbers. Raises 3343 for a scheme this reader does not
// support (an external provider, a hash other than SHA-1, an unknown cipher or key size) and for a header
// that does not fit or contradicts itself.
CryptoApiEncryptionInfo read_cryptoapi_encryption_info(HeaderReader& info);

}  // namespace qz::crypto

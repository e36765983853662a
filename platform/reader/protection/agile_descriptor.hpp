#pragma once
// The EncryptionInfo of agile encryption (version 4.4): a reserved word and an XML descriptor naming the
// cipher, the hashes, the salts and, for the password key encryptor, the encrypted verifier and data key.

#include <cstdint>

#include "platform/reader/protection/digest.hpp"
#include "platform/reader/protection/header_reader.hpp"
#include "platform/reader/protection/key_bytes.hpp"

namespace qz::crypto {

// Cipher parameters shared by keyData and the password's encryptedKey. The cipher is always AES-CBC.
struct AgileCipherParameters {
    HashAlgorithm hash = HashAlgorithm::sha1;
    std::size_t key_size = 0;    // bytes: 16, 24 or 32
    std::size_t block_size = 0;  // bytes: 16
    Bytes salt;
};

struct AgileDescriptor {
    // keyData: how the pages are encrypted with the data key.
    AgileCipherParameters data;
    // The password key encryptor: how the password unlocks the data key.
    AgileCipherParameters password;
    std::uint32_t spin_count = 0;
    Bytes encrypted_verifier_hash_input;
    Bytes encrypted_verifier_hash_value;
    Bytes encrypted_key_value;
};

// Reads the EncryptionInfo that follows the version numbers. Raises 3343 for a descriptor that is not
// well-formed or leaves out a value, and for what this reader does not support: a cipher other than AES, a
// chaining other than CBC, a hash other than SHA-1/256/384/512, a key encryptor other than exactly one
// password encryptor, and a spin count above the format's limit of 10,000,000.
AgileDescriptor read_agile_descriptor(HeaderReader& info);

}  // namespace qz::crypto

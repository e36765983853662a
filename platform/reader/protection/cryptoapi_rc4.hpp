#pragma once
// Office RC4 CryptoAPI encryption, the default of Access 2007 (40-bit key) and the "legacy" choice of later
// versions (128-bit key).

#include <memory>

#include "platform/reader/protection/cryptoapi_encryption_info.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {

// Verifies `password` (UTF-16LE bytes) with the stored verifier, raising 3031 when it does not match.
std::unique_ptr<PageDecoder> open_cryptoapi_rc4(const CryptoApiEncryptionInfo& info,
                                                std::span<const std::uint8_t> password, const BlockKey& encoding_key);

}  // namespace qz::crypto

#pragma once
// Office AES encryption with a binary EncryptionInfo: Standard encryption (fAES set, the key stretched
// 50000 times) and the CryptoAPI AES of Access 2007 set up with the AES provider (fAES clear, no
// stretching). Both decrypt each page with AES-ECB under a key of its own.

#include <memory>

#include "platform/reader/protection/cryptoapi_encryption_info.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {

// Verifies `password` (UTF-16LE bytes) with the stored verifier, raising 3031 when it does not match.
std::unique_ptr<PageDecoder> open_cryptoapi_aes(const CryptoApiEncryptionInfo& info,
                                                std::span<const std::uint8_t> password, const BlockKey& encoding_key);

}  // namespace qz::crypto

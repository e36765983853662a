#pragma once
// ACE files encrypted with a password: the Office EncryptionInfo in page 0 names the scheme by its version
// numbers; the password is checked with the scheme's verifier before any page is decrypted.

#include <memory>
#include <string>
#include <string_view>

#include "platform/reader/protection/page_decoder.hpp"
#include "platform/reader/protection/protection_fields.hpp"

namespace qz::crypto {

// Raises 3031 when `password` does not pass the verifier and 3343 (naming `path`) for a scheme this reader
// does not support or an EncryptionInfo it cannot interpret.
std::unique_ptr<PageDecoder> open_office_encryption(const ProtectionFields& fields, std::u16string_view password,
                                                    const std::u16string& path);

}  // namespace qz::crypto

#pragma once
// Agile encryption, the default of Access 2010 and later: the password, stretched with its spin count,
// unlocks a random data key; each page is AES-CBC with that key and an IV made from the page's block key.

#include <memory>

#include "platform/reader/protection/agile_descriptor.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {

// Verifies `password` (UTF-16LE bytes) with the stored verifier, raising 3031 when it does not match. This
// runs the spin count once; decoding a page afterwards costs one hash and one AES pass.
std::unique_ptr<PageDecoder> open_agile_encryption(const AgileDescriptor& descriptor,
                                                   std::span<const std::uint8_t> password,
                                                   const BlockKey& encoding_key);

}  // namespace qz::crypto

#pragma once
// Jet "encoded" databases (Encrypt/Decrypt Database of Access 95 to 2003): every page but page 0 is RC4
// with a key of its own, made from the encoding key in page 0. No password is involved.

#include <memory>

#include "platform/reader/protection/key_bytes.hpp"
#include "platform/reader/protection/page_decoder.hpp"

namespace qz::crypto {

std::unique_ptr<PageDecoder> make_jet_encoding_decoder(const BlockKey& encoding_key);

}  // namespace qz::crypto

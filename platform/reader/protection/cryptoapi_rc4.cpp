#include "platform/reader/protection/cryptoapi_rc4.hpp"

#include <utility>

#include "platform/errors.hpp"
#include "platform/reader/protection/digest.hpp"
#include "platform/reader/protection/libcrypto_functions.hpp"
#include "platform/reader/protection/rc4.hpp"

namespace qz::crypto {
namespace {

// A 40-bit key is used as a 128-bit RC4 key whose last 11 bytes are zero; the bare 5 bytes give another stream.
constexpr std::size_t short_key_size = 5;
constexpr std::size_t short_key_padded_size = 16;

class CryptoApiRc4 {
public:
    CryptoApiRc4(const CryptoApiEncryptionInfo& info, std::span<const std::uint8_t> password)
        : password_hash_(hash(HashAlgorithm::sha1, {info.salt, password})), key_size_(info.key_size) {}

    // The RC4 key for one block: SHA-1 of the password hash and the block key, cut to the key size.
    Rc4 stream(const BlockKey& block_key) const {
        Bytes key = hash(HashAlgorithm::sha1, {password_hash_, block_key});
        key.resize(key_size_);
        if (key_size_ == short_key_size) key.resize(short_key_padded_size, 0);
        return Rc4(key);
    }

private:
    Bytes password_hash_;
    std::size_t key_size_;
};

class CryptoApiRc4Decoder final : public PageDecoder {
public:
    CryptoApiRc4Decoder(CryptoApiRc4 keys, const BlockKey& encoding_key) : keys_(std::move(keys)), encoding_key_(encoding_key) {}

    void decode(std::uint32_t page_number, std::span<std::uint8_t> page) const override {
        keys_.stream(page_block_key(encoding_key_, page_number)).apply(page);
    }

private:
    CryptoApiRc4 keys_;
    BlockKey encoding_key_;
};

// The verifier and its SHA-1 were encrypted as one RC4 stream with the key of block 0.
bool verifier_matches(const CryptoApiRc4& keys, const CryptoApiEncryptionInfo& info) {
    Bytes verifier = info.encrypted_verifier;
    Bytes verifier_hash = info.encrypted_verifier_hash;
    Rc4 stream = keys.stream(le32(0));
    stream.apply(verifier);
    stream.apply(verifier_hash);
    const Bytes expected = hash(HashAlgorithm::sha1, {verifier});
    return verifier_hash.size() == expected.size() &&
           libcrypto().CRYPTO_memcmp(verifier_hash.data(), expected.data(), expected.size()) == 0;
}

}  // namespace

std::unique_ptr<PageDecoder> open_cryptoapi_rc4(const CryptoApiEncryptionInfo& info,
                                                std::span<const std::uint8_t> password, const BlockKey& encoding_key) {
    CryptoApiRc4 keys(info, password);
    if (!verifier_matches(keys, info)) throw errors::wrong_password();
    return std::make_unique<CryptoApiRc4Decoder>(std::move(keys), encoding_key);
}

}  // namespace qz::crypto

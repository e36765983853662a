#include "platform/reader/protection/cryptoapi_aes.hpp"

#include <utility>

#include "platform/errors.hpp"
#include "platform/reader/protection/aes.hpp"
#include "platform/reader/protection/digest.hpp"
#include "platform/reader/protection/libcrypto_functions.hpp"

namespace qz::crypto {
namespace {

// Standard encryption stretches the password hash a fixed number of times; the count is not stored.
constexpr std::uint32_t standard_spin_count = 50000;
// The key derivation pads the block hash to one SHA-1 input block before XORing it with these bytes.
constexpr std::size_t sha1_input_block = 64;
constexpr std::uint8_t inner_pad = 0x36;
constexpr std::uint8_t outer_pad = 0x5C;

class CryptoApiAesKeys {
public:
    CryptoApiAesKeys(const CryptoApiEncryptionInfo& info, std::span<const std::uint8_t> password)
        : password_hash_(stretch_hash(HashAlgorithm::sha1, hash(HashAlgorithm::sha1, {info.salt, password}),
                                      info.scheme == CryptoApiScheme::standard_aes ? standard_spin_count : 0)),
          key_size_(info.key_size) {}

    Bytes key(const BlockKey& block_key) const {
        const Bytes block_hash = hash(HashAlgorithm::sha1, {password_hash_, block_key});
        Bytes inner(sha1_input_block, inner_pad);
        Bytes outer(sha1_input_block, outer_pad);
        for (std::size_t i = 0; i < block_hash.size(); ++i) {
            inner[i] ^= block_hash[i];
            outer[i] ^= block_hash[i];
        }
        Bytes key = hash(HashAlgorithm::sha1, {inner});
        const Bytes second = hash(HashAlgorithm::sha1, {outer});
        key.insert(key.end(), second.begin(), second.end());
        key.resize(key_size_);
        return key;
    }

private:
    Bytes password_hash_;
    std::size_t key_size_;
};

class CryptoApiAesDecoder final : public PageDecoder {
public:
    CryptoApiAesDecoder(CryptoApiAesKeys keys, const BlockKey& encoding_key)
        : keys_(std::move(keys)), encoding_key_(encoding_key) {}

    // Pages are whole AES blocks (4096 bytes); a shorter tail, which a whole page never has, is left alone.
    void decode(std::uint32_t page_number, std::span<std::uint8_t> page) const override {
        const Bytes key = keys_.key(page_block_key(encoding_key_, page_number));
        aes_decrypt(AesChaining::ecb, key, {}, page.first(page.size() - page.size() % aes_block_size));
    }

private:
    CryptoApiAesKeys keys_;
    BlockKey encoding_key_;
};

bool verifier_matches(const CryptoApiAesKeys& keys, const CryptoApiEncryptionInfo& info) {
    const Bytes key = keys.key(le32(0));
    Bytes verifier = info.encrypted_verifier;
    Bytes verifier_hash = info.encrypted_verifier_hash;
    aes_decrypt(AesChaining::ecb, key, {}, verifier);
    aes_decrypt(AesChaining::ecb, key, {}, verifier_hash);
    const Bytes expected = hash(HashAlgorithm::sha1, {verifier});
    return libcrypto().CRYPTO_memcmp(verifier_hash.data(), expected.data(), expected.size()) == 0;
}

}  // namespace

std::unique_ptr<PageDecoder> open_cryptoapi_aes(const CryptoApiEncryptionInfo& info,
                                                std::span<const std::uint8_t> password, const BlockKey& encoding_key) {
    CryptoApiAesKeys keys(info, password);
    if (!verifier_matches(keys, info)) throw errors::wrong_password();
    return std::make_unique<CryptoApiAesDecoder>(std::move(keys), encoding_key);
}

}  // namespace qz::crypto

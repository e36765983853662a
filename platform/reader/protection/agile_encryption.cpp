#include "platform/reader/protection/agile_encryption.hpp"

#include <array>
#include <utility>

#include "platform/errors.hpp"
#include "platform/reader/protection/aes.hpp"
#include "platform/reader/protection/digest.hpp"
#include "platform/reader/protection/libcrypto_functions.hpp"

namespace qz::crypto {
namespace {

// Constant block keys that tell apart the three values the password key decrypts.
using AgileBlockKey = std::array<std::uint8_t, 8>;
constexpr AgileBlockKey verifier_input_block = {0xFE, 0xA7, 0xD2, 0x76, 0x3B, 0x4B, 0x9E, 0x79};
constexpr AgileBlockKey verifier_hash_block = {0xD7, 0xAA, 0x0F, 0x6D, 0x30, 0x61, 0x34, 0x4E};
constexpr AgileBlockKey data_key_block = {0x14, 0x6E, 0x0B, 0xE7, 0xAB, 0xAC, 0xD0, 0xD6};

// Keys and IVs shorter than needed are padded with this byte, longer ones cut.
constexpr std::uint8_t fit_pad = 0x36;

class AgileDecoder final : public PageDecoder {
public:
    AgileDecoder(Bytes data_key, AgileCipherParameters data, const BlockKey& encoding_key)
        : data_key_(std::move(data_key)), data_(std::move(data)), encoding_key_(encoding_key) {}

    // The CBC chain restarts at every page. A shorter tail, which a whole page never has, is left alone.
    void decode(std::uint32_t page_number, std::span<std::uint8_t> page) const override {
        const BlockKey block_key = page_block_key(encoding_key_, page_number);
        const Bytes iv = fit(hash(data_.hash, {data_.salt, block_key}), data_.block_size, fit_pad);
        aes_decrypt(AesChaining::cbc, data_key_, iv, page.first(page.size() - page.size() % aes_block_size));
    }

private:
    Bytes data_key_;
    AgileCipherParameters data_;
    BlockKey encoding_key_;
};

class PasswordKeys {
public:
    PasswordKeys(const AgileDescriptor& descriptor, std::span<const std::uint8_t> password)
        : parameters_(descriptor.password),
          stretched_(stretch_hash(parameters_.hash, hash(parameters_.hash, {parameters_.salt, password}),
                                  descriptor.spin_count)),
          iv_(fit(parameters_.salt, parameters_.block_size, fit_pad)) {}

    Bytes decrypt(const AgileBlockKey& block, const Bytes& encrypted) const {
        const Bytes key = fit(hash(parameters_.hash, {stretched_, block}), parameters_.key_size, fit_pad);
        Bytes plain = encrypted;
        aes_decrypt(AesChaining::cbc, key, iv_, plain);
        return plain;
    }

    HashAlgorithm hash_algorithm() const { return parameters_.hash; }

private:
    const AgileCipherParameters& parameters_;
    Bytes stretched_;
    Bytes iv_;
};

bool verifier_matches(const PasswordKeys& keys, const AgileDescriptor& descriptor) {
    Bytes verifier = keys.decrypt(verifier_input_block, descriptor.encrypted_verifier_hash_input);
    verifier.resize(descriptor.password.salt.size());
    const Bytes verifier_hash = keys.decrypt(verifier_hash_block, descriptor.encrypted_verifier_hash_value);
    const Bytes expected = hash(keys.hash_algorithm(), {verifier});
    return libcrypto().CRYPTO_memcmp(verifier_hash.data(), expected.data(), expected.size()) == 0;
}

}  // namespace

std::unique_ptr<PageDecoder> open_agile_encryption(const AgileDescriptor& descriptor,
                                                   std::span<const std::uint8_t> password,
                                                   const BlockKey& encoding_key) {
    const PasswordKeys keys(descriptor, password);
    if (!verifier_matches(keys, descriptor)) throw errors::wrong_password();
    Bytes data_key = keys.decrypt(data_key_block, descriptor.encrypted_key_value);
    data_key.resize(descriptor.data.key_size);
    return std::make_unique<AgileDecoder>(std::move(data_key), descriptor.data, encoding_key);
}

}  // namespace qz::crypto

#include "writer/crypto_primitives.hpp"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace qz::writer {
namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

void require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("libcrypto failed: ") + what);
}

const EVP_CIPHER* aes_cbc(std::size_t key_bytes) {
    switch (key_bytes) {
        case 16:
            return EVP_aes_128_cbc();
        case 24:
            return EVP_aes_192_cbc();
        case 32:
            return EVP_aes_256_cbc();
        default:
            throw std::invalid_argument("an AES key has 16, 24 or 32 bytes");
    }
}

}  // namespace

Bytes digest(Hash hash, std::initializer_list<std::span<const std::uint8_t>> parts) {
    const DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    require(context != nullptr, "digest context");
    require(EVP_DigestInit_ex(context.get(), hash == Hash::sha1 ? EVP_sha1() : EVP_sha512(), nullptr) == 1, "digest");
    for (const auto part : parts) require(EVP_DigestUpdate(context.get(), part.data(), part.size()) == 1, "digest");
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    require(EVP_DigestFinal_ex(context.get(), out.data(), &length) == 1, "digest");
    out.resize(length);
    return out;
}

void aes_cbc_encrypt(std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv, std::span<std::uint8_t> data) {
    if (iv.size() != 16 || data.size() % 16 != 0) throw std::invalid_argument("AES-CBC takes whole 16-byte blocks");
    const CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    require(context != nullptr, "cipher context");
    require(EVP_EncryptInit_ex(context.get(), aes_cbc(key.size()), nullptr, key.data(), iv.data()) == 1, "AES");
    require(EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1, "AES");
    int written = 0;
    require(EVP_EncryptUpdate(context.get(), data.data(), &written, data.data(), static_cast<int>(data.size())) == 1 &&
                static_cast<std::size_t>(written) == data.size(),
            "AES");
}

std::string base64(std::span<const std::uint8_t> bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), bytes.data(), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace qz::writer

#include "platform/reader/protection/aes.hpp"

#include <memory>
#include <new>

#include "platform/reader/protection/libcrypto_functions.hpp"

namespace qz::crypto {
namespace {

const EVP_CIPHER* cipher_for(const LibcryptoFunctions& crypto, AesChaining chaining, std::size_t key_size) {
    const bool ecb = chaining == AesChaining::ecb;
    switch (key_size) {
        case 16: return ecb ? crypto.EVP_aes_128_ecb() : crypto.EVP_aes_128_cbc();
        case 24: return ecb ? crypto.EVP_aes_192_ecb() : crypto.EVP_aes_192_cbc();
        default: return ecb ? crypto.EVP_aes_256_ecb() : crypto.EVP_aes_256_cbc();
    }
}

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { libcrypto().EVP_CIPHER_CTX_free(context); }
};

// With a built-in cipher, whole blocks and a key of the cipher's size, OpenSSL fails only when memory runs out.
void require(int openssl_result) {
    if (openssl_result != 1) throw std::bad_alloc();
}

}  // namespace

void aes_decrypt(AesChaining chaining, std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv,
                 std::span<std::uint8_t> data) {
    const LibcryptoFunctions& crypto = libcrypto();
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(crypto.EVP_CIPHER_CTX_new());
    if (!context) throw std::bad_alloc();
    require(crypto.EVP_DecryptInit_ex(context.get(), cipher_for(crypto, chaining, key.size()), nullptr,
                                      key.data(), chaining == AesChaining::cbc ? iv.data() : nullptr));
    require(crypto.EVP_CIPHER_CTX_set_padding(context.get(), 0));
    int written = 0;
    require(crypto.EVP_DecryptUpdate(context.get(), data.data(), &written, data.data(),
                                     static_cast<int>(data.size())));
    int tail = 0;
    require(crypto.EVP_DecryptFinal_ex(context.get(), data.data() + data.size(), &tail));
}

}  // namespace qz::crypto

#pragma once
// The functions of OpenSSL's libcrypto that the protection schemes call, loaded on first use: only protected
// files need them, and linking libcrypto would bind its symbols at every process start. Types come from
// OpenSSL's own headers; each member bears the name of the function it points to.

#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace qz::crypto {

struct LibcryptoFunctions {
    decltype(&::CRYPTO_memcmp) CRYPTO_memcmp;
    decltype(&::EVP_DecodeBlock) EVP_DecodeBlock;

    decltype(&::EVP_md5) EVP_md5;
    decltype(&::EVP_sha1) EVP_sha1;
    decltype(&::EVP_sha256) EVP_sha256;
    decltype(&::EVP_sha384) EVP_sha384;
    decltype(&::EVP_sha512) EVP_sha512;
    decltype(&::EVP_MD_fetch) EVP_MD_fetch;
    decltype(&::EVP_MD_free) EVP_MD_free;
    decltype(&::EVP_MD_get_size) EVP_MD_get_size;
    decltype(&::EVP_MD_CTX_new) EVP_MD_CTX_new;
    decltype(&::EVP_MD_CTX_free) EVP_MD_CTX_free;
    decltype(&::EVP_DigestInit_ex) EVP_DigestInit_ex;
    decltype(&::EVP_DigestUpdate) EVP_DigestUpdate;
    decltype(&::EVP_DigestFinal_ex) EVP_DigestFinal_ex;

    decltype(&::EVP_aes_128_ecb) EVP_aes_128_ecb;
    decltype(&::EVP_aes_128_cbc) EVP_aes_128_cbc;
    decltype(&::EVP_aes_192_ecb) EVP_aes_192_ecb;
    decltype(&::EVP_aes_192_cbc) EVP_aes_192_cbc;
    decltype(&::EVP_aes_256_ecb) EVP_aes_256_ecb;
    decltype(&::EVP_aes_256_cbc) EVP_aes_256_cbc;
    decltype(&::EVP_CIPHER_CTX_new) EVP_CIPHER_CTX_new;
    decltype(&::EVP_CIPHER_CTX_free) EVP_CIPHER_CTX_free;
    decltype(&::EVP_CIPHER_CTX_set_padding) EVP_CIPHER_CTX_set_padding;
    decltype(&::EVP_DecryptInit_ex) EVP_DecryptInit_ex;
    decltype(&::EVP_DecryptUpdate) EVP_DecryptUpdate;
    decltype(&::EVP_DecryptFinal_ex) EVP_DecryptFinal_ex;
};

// libcrypto.so.3's functions, loaded once per process (safely from any thread). Throws qz::Error 48 when the
// library cannot be loaded and 453 when it lacks one of the functions; the next call tries again.
const LibcryptoFunctions& libcrypto();

}  // namespace qz::crypto

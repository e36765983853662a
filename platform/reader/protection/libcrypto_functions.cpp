#include "platform/reader/protection/libcrypto_functions.hpp"

#include "platform/shared_library.hpp"

namespace qz::crypto {
namespace {

LibcryptoFunctions load_libcrypto() {
    const SharedLibrary library("libcrypto.so.3");
    LibcryptoFunctions functions{};
// Looks `name` up under its own name, as a pointer of the member's type.
#define QZ_RESOLVE(name) functions.name = library.function<decltype(functions.name)>(#name)
    QZ_RESOLVE(CRYPTO_memcmp);
    QZ_RESOLVE(EVP_DecodeBlock);
    QZ_RESOLVE(EVP_md5);
    QZ_RESOLVE(EVP_sha1);
    QZ_RESOLVE(EVP_sha256);
    QZ_RESOLVE(EVP_sha384);
    QZ_RESOLVE(EVP_sha512);
    QZ_RESOLVE(EVP_MD_fetch);
    QZ_RESOLVE(EVP_MD_free);
    QZ_RESOLVE(EVP_MD_get_size);
    QZ_RESOLVE(EVP_MD_CTX_new);
    QZ_RESOLVE(EVP_MD_CTX_free);
    QZ_RESOLVE(EVP_DigestInit_ex);
    QZ_RESOLVE(EVP_DigestUpdate);
    QZ_RESOLVE(EVP_DigestFinal_ex);
    QZ_RESOLVE(EVP_aes_128_ecb);
    QZ_RESOLVE(EVP_aes_128_cbc);
    QZ_RESOLVE(EVP_aes_192_ecb);
    QZ_RESOLVE(EVP_aes_192_cbc);
    QZ_RESOLVE(EVP_aes_256_ecb);
    QZ_RESOLVE(EVP_aes_256_cbc);
    QZ_RESOLVE(EVP_CIPHER_CTX_new);
    QZ_RESOLVE(EVP_CIPHER_CTX_free);
    QZ_RESOLVE(EVP_CIPHER_CTX_set_padding);
    QZ_RESOLVE(EVP_DecryptInit_ex);
    QZ_RESOLVE(EVP_DecryptUpdate);
    QZ_RESOLVE(EVP_DecryptFinal_ex);
#undef QZ_RESOLVE
    return functions;
}

}  // namespace

const LibcryptoFunctions& libcrypto() {
    static const LibcryptoFunctions functions = load_libcrypto();
    return functions;
}

}  // namespace qz::crypto

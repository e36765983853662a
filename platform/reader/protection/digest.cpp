#include "platform/reader/protection/digest.hpp"

#include <memory>
#include <new>

#include "platform/reader/protection/libcrypto_functions.hpp"

namespace qz::crypto {
namespace {

const EVP_MD* message_digest(HashAlgorithm algorithm) {
    const LibcryptoFunctions& crypto = libcrypto();
    switch (algorithm) {
        case HashAlgorithm::md5: return crypto.EVP_md5();
        case HashAlgorithm::sha1: return crypto.EVP_sha1();
        case HashAlgorithm::sha256: return crypto.EVP_sha256();
        case HashAlgorithm::sha384: return crypto.EVP_sha384();
        case HashAlgorithm::sha512: return crypto.EVP_sha512();
    }
    return crypto.EVP_sha1();
}

const char* digest_name(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::md5: return "MD5";
        case HashAlgorithm::sha1: return "SHA1";
        case HashAlgorithm::sha256: return "SHA256";
        case HashAlgorithm::sha384: return "SHA384";
        case HashAlgorithm::sha512: return "SHA512";
    }
    return "SHA1";
}

struct FetchedDigestFree {
    void operator()(EVP_MD* md) const { libcrypto().EVP_MD_free(md); }
};

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { libcrypto().EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

// The built-in digests fail only when memory runs out.
void require(int openssl_result) {
    if (openssl_result != 1) throw std::bad_alloc();
}

DigestContext new_context() {
    DigestContext context(libcrypto().EVP_MD_CTX_new());
    if (!context) throw std::bad_alloc();
    return context;
}

void digest_into(EVP_MD_CTX* context, const EVP_MD* md, std::initializer_list<std::span<const std::uint8_t>> parts,
                 std::uint8_t* out) {
    const LibcryptoFunctions& crypto = libcrypto();
    require(crypto.EVP_DigestInit_ex(context, md, nullptr));
    for (const auto& part : parts) require(crypto.EVP_DigestUpdate(context, part.data(), part.size()));
    require(crypto.EVP_DigestFinal_ex(context, out, nullptr));
}

}  // namespace

std::size_t hash_size(HashAlgorithm algorithm) {
    return static_cast<std::size_t>(libcrypto().EVP_MD_get_size(message_digest(algorithm)));
}

Bytes hash(HashAlgorithm algorithm, std::initializer_list<std::span<const std::uint8_t>> parts) {
    const EVP_MD* md = message_digest(algorithm);
    Bytes result(hash_size(algorithm));
    digest_into(new_context().get(), md, parts, result.data());
    return result;
}

Bytes stretch_hash(HashAlgorithm algorithm, Bytes h, std::uint32_t count) {
    // An explicitly fetched digest spares OpenSSL a provider look-up on every one of the many rounds, which
    // halves the time of an agile open; the built-in one serves if fetching fails.
    const std::unique_ptr<EVP_MD, FetchedDigestFree> fetched(
        libcrypto().EVP_MD_fetch(nullptr, digest_name(algorithm), nullptr));
    const EVP_MD* md = fetched ? fetched.get() : message_digest(algorithm);
    const DigestContext context = new_context();
    h.resize(hash_size(algorithm));
    for (std::uint32_t i = 0; i < count; ++i) {
        const BlockKey counter = le32(i);
        digest_into(context.get(), md, {counter, h}, h.data());
    }
    return h;
}

}  // namespace qz::crypto

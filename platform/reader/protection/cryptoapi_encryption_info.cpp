#include "platform/reader/protection/cryptoapi_encryption_info.hpp"

#include <string>

#include "platform/text/utf16le.hpp"

namespace qz::crypto {
namespace {

// Flags of the EncryptionInfo and its EncryptionHeader.
constexpr std::uint32_t flag_cryptoapi = 0x04;
constexpr std::uint32_t flag_external = 0x10;
constexpr std::uint32_t flag_aes = 0x20;

// Algorithm identifiers of the EncryptionHeader; 0 means "as the flags say".
constexpr std::uint32_t algorithm_from_flags = 0;
constexpr std::uint32_t algorithm_rc4 = 0x6801;
constexpr std::uint32_t algorithm_aes128 = 0x660E;
constexpr std::uint32_t algorithm_aes192 = 0x660F;
constexpr std::uint32_t algorithm_aes256 = 0x6610;
constexpr std::uint32_t hash_from_flags = 0;
constexpr std::uint32_t hash_sha1 = 0x8004;

// Fixed fields of the EncryptionHeader before the provider name: Flags, SizeExtra, AlgID, AlgIDHash,
// KeySize, ProviderType, Reserved1, Reserved2.
constexpr std::size_t header_fixed_size = 32;
constexpr std::size_t salt_size = 16;
constexpr std::size_t verifier_size = 16;
constexpr std::size_t sha1_size = 20;
constexpr std::size_t aes_verifier_hash_size = 32;  // the SHA-1 padded to whole AES blocks

// CryptoAPI RC4 keys run from 40 to 128 bits in steps of 8; SHA-1 could not supply a longer one anyway.
constexpr std::uint32_t rc4_min_key_bits = 40;
constexpr std::uint32_t rc4_max_key_bits = 128;
constexpr std::uint32_t rc4_default_strong_key_bits = 128;

// The provider name, UTF-16LE up to its terminator, reduced to ASCII lower case for the one test made on it.
std::string lower_ascii_provider_name(std::span<const std::uint8_t> bytes) {
    const std::u16string units = text::utf16le_to_utf16(bytes);
    std::string name;
    for (const char16_t unit : units.substr(0, units.find(u'\0'))) {
        const char ascii = unit < 0x80 ? static_cast<char>(unit) : '?';
        name.push_back(ascii >= 'A' && ascii <= 'Z' ? static_cast<char>(ascii - 'A' + 'a') : ascii);
    }
    return name;
}

// An RC4 key size of 0 means the provider's default: 40 bits for the "Base" provider (and when none is
// named), 128 bits for the stronger ones.
std::uint32_t default_rc4_key_bits(const std::string& provider) {
    const bool base = provider.empty() || (" " + provider + " ").find(" base ") != std::string::npos;
    return base ? rc4_min_key_bits : rc4_default_strong_key_bits;
}

std::uint32_t aes_key_bits(std::uint32_t algorithm) {
    switch (algorithm) {
        case algorithm_aes128: return 128;
        case algorithm_aes192: return 192;
        case algorithm_aes256: return 256;
        default: return 0;
    }
}

}  // namespace

CryptoApiEncryptionInfo read_cryptoapi_encryption_info(HeaderReader& info) {
    const std::uint32_t flags = info.next_u32();
    info.require((flags & flag_cryptoapi) != 0 && (flags & flag_external) == 0,
                 "the EncryptionInfo flags name no CryptoAPI scheme");
    const bool aes_flag = (flags & flag_aes) != 0;

    const std::uint32_t header_size = info.next_u32();
    info.require(header_size >= header_fixed_size, "the EncryptionInfo header is too short");
    HeaderReader header = info.next(header_size);
    header.next_u32();  // Flags: the copy before the header is the one that counts
    header.next_u32();  // SizeExtra
    std::uint32_t algorithm = header.next_u32();
    const std::uint32_t hash = header.next_u32();
    std::uint32_t key_bits = header.next_u32();
    header.next_u32();  // ProviderType
    header.next_u32();  // Reserved1
    header.next_u32();  // Reserved2
    const std::string provider = lower_ascii_provider_name(header.next(header.remaining()).bytes());

    info.require(hash == hash_from_flags || hash == hash_sha1,
                 "the EncryptionInfo names a hash other than SHA-1");
    if (algorithm == algorithm_from_flags) algorithm = aes_flag ? algorithm_aes128 : algorithm_rc4;

    CryptoApiEncryptionInfo result;
    if (algorithm == algorithm_rc4) {
        info.require(!aes_flag, "an RC4 EncryptionInfo carries the AES flag");
        if (key_bits == 0) key_bits = default_rc4_key_bits(provider);
        info.require(key_bits >= rc4_min_key_bits && key_bits <= rc4_max_key_bits && key_bits % 8 == 0,
                     "an RC4 key size is out of range");
        result.scheme = CryptoApiScheme::rc4;
    } else {
        const std::uint32_t algorithm_bits = aes_key_bits(algorithm);
        info.require(algorithm_bits != 0 && (key_bits == 0 || key_bits == algorithm_bits),
                     "an AES key size does not match its algorithm");
        key_bits = algorithm_bits;
        result.scheme = aes_flag ? CryptoApiScheme::standard_aes : CryptoApiScheme::plain_aes;
    }
    result.key_size = key_bits / 8;

    // The EncryptionVerifier.
    info.require(info.next_u32() == salt_size, "the salt size is not 16");
    const auto salt = info.next(salt_size).bytes();
    const auto verifier = info.next(verifier_size).bytes();
    info.require(info.next_u32() == sha1_size, "the verifier hash size is not 20");
    const auto verifier_hash =
        info.next(result.scheme == CryptoApiScheme::rc4 ? sha1_size : aes_verifier_hash_size).bytes();
    result.salt.assign(salt.begin(), salt.end());
    result.encrypted_verifier.assign(verifier.begin(), verifier.end());
    result.encrypted_verifier_hash.assign(verifier_hash.begin(), verifier_hash.end());
    return result;
}

}  // namespace qz::crypto

#include "writer/ace_encryption.hpp"

#include <algorithm>
#include <string>

#include "writer/crypto_primitives.hpp"
#include "writer/rc4.hpp"

namespace qz::writer {
namespace {

constexpr std::uint16_t info_major = 4, cryptoapi_minor = 2, agile_minor = 4;
constexpr std::uint32_t agile_reserved = 0x40;
// CryptoAPI header values (5.2).
constexpr std::uint32_t flag_cryptoapi = 0x04, flag_doc_props = 0x08;
constexpr std::uint32_t algorithm_rc4 = 0x6801, hash_sha1 = 0x8004, provider_rsa_full = 1;
constexpr std::size_t salt_size = 16, verifier_size = 16, sha1_size = 20;
// Agile (5.3): what Access 2013 and later write.
constexpr std::uint32_t spin_count = 100000;
constexpr std::size_t aes_key_size = 32, aes_block = 16;
constexpr std::uint8_t verifier_input_block[] = {0xFE, 0xA7, 0xD2, 0x76, 0x3B, 0x4B, 0x9E, 0x79};
constexpr std::uint8_t verifier_value_block[] = {0xD7, 0xAA, 0x0F, 0x6D, 0x30, 0x61, 0x34, 0x4E};
constexpr std::uint8_t key_value_block[] = {0x14, 0x6E, 0x0B, 0xE7, 0xAB, 0xAC, 0xD0, 0xD6};

Bytes le32(std::uint32_t value) {
    Bytes out;
    put_u32(out, value);
    return out;
}

Bytes utf16le(std::u16string_view text) {
    Bytes out;
    for (const char16_t unit : text) put_u16(out, unit);
    return out;
}

Bytes first(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

// Salts, verifiers and the data key: drawn from the password and key rather than a random source, so that one
// schema always gives the same file.
Bytes material(std::string_view purpose, std::span<const std::uint8_t> password, std::uint32_t encoding_key,
               std::size_t length) {
    const Bytes label(purpose.begin(), purpose.end());
    return first(digest(Hash::sha512, {label, password, le32(encoding_key)}), length);
}

AceEncryptor cryptoapi_rc4(const Bytes& password, std::uint32_t encoding_key, bool short_key) {
    const Bytes salt = material("salt", password, encoding_key, salt_size);
    const Bytes verifier = material("verifier", password, encoding_key, verifier_size);
    const Bytes base_hash = digest(Hash::sha1, {salt, password});
    const std::size_t key_bytes = short_key ? 5 : 16;
    // A 40-bit key is used as 16 bytes, zero-filled.
    const auto key_for = [base_hash, key_bytes](std::uint32_t block) {
        Bytes key = first(digest(Hash::sha1, {base_hash, le32(block)}), key_bytes);
        key.resize(16, 0);
        return key;
    };
    Bytes verification = verifier;
    put_bytes(verification, digest(Hash::sha1, {verifier}));
    rc4_apply(key_for(0), verification);  // one stream over the verifier and its hash

    const std::uint32_t flags = short_key ? flag_cryptoapi : flag_cryptoapi | flag_doc_props;
    Bytes header;
    put_u32(header, flags);
    put_u32(header, 0);  // no extra size
    put_u32(header, algorithm_rc4);
    put_u32(header, hash_sha1);
    put_u32(header, static_cast<std::uint32_t>(key_bytes * 8));
    put_u32(header, provider_rsa_full);
    put_u32(header, 0);  // two reserved words
    put_u32(header, 0);
    const char16_t* provider = short_key ? u"Microsoft Base Cryptographic Provider v1.0"
                                         : u"Microsoft Enhanced Cryptographic Provider v1.0";
    put_bytes(header, utf16le(provider));
    put_u16(header, 0);

    AceEncryptor out;
    put_u16(out.encryption_info, info_major);
    put_u16(out.encryption_info, cryptoapi_minor);
    put_u32(out.encryption_info, flags);
    put_u32(out.encryption_info, static_cast<std::uint32_t>(header.size()));
    put_bytes(out.encryption_info, header);
    put_u32(out.encryption_info, salt_size);
    put_bytes(out.encryption_info, salt);
    put_bytes(out.encryption_info, std::span(verification).first(verifier_size));
    put_u32(out.encryption_info, sha1_size);
    put_bytes(out.encryption_info, std::span(verification).subspan(verifier_size));
    out.encrypt_page = [key_for, encoding_key](std::uint32_t number, std::span<std::uint8_t> page) {
        rc4_apply(key_for(encoding_key ^ number), page);
    };
    return out;
}

std::string attributes_of_aes256_sha512(std::span<const std::uint8_t> salt) {
    return "saltSize=\"16\" blockSize=\"16\" keyBits=\"256\" hashSize=\"64\" cipherAlgorithm=\"AES\" "
           "cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"SHA512\" saltValue=\"" + base64(salt) + "\"";
}

AceEncryptor agile(const Bytes& password, std::uint32_t encoding_key) {
    const Bytes data_salt = material("data salt", password, encoding_key, salt_size);
    const Bytes password_salt = material("password salt", password, encoding_key, salt_size);
    const Bytes secret = material("data key", password, encoding_key, aes_key_size);
    const Bytes verifier = material("verifier", password, encoding_key, verifier_size);

    Bytes spun = digest(Hash::sha512, {password_salt, password});
    for (std::uint32_t i = 0; i < spin_count; ++i) spun = digest(Hash::sha512, {le32(i), spun});
    // Each of the three values is encrypted under its own key, with the password salt as the IV.
    const auto encrypted = [&](std::span<const std::uint8_t> block, Bytes value) {
        aes_cbc_encrypt(first(digest(Hash::sha512, {spun, block}), aes_key_size), password_salt, value);
        return base64(value);
    };
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
        "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<keyData " + attributes_of_aes256_sha512(data_salt) + "/><keyEncryptors>"
        "<keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<p:encryptedKey spinCount=\"" + std::to_string(spin_count) + "\" " + attributes_of_aes256_sha512(password_salt) +
        " encryptedVerifierHashInput=\"" + encrypted(verifier_input_block, verifier) +
        "\" encryptedVerifierHashValue=\"" + encrypted(verifier_value_block, digest(Hash::sha512, {verifier})) +
        "\" encryptedKeyValue=\"" + encrypted(key_value_block, secret) +
        "\"/></keyEncryptor></keyEncryptors></encryption>";

    AceEncryptor out;
    put_u16(out.encryption_info, info_major);
    put_u16(out.encryption_info, agile_minor);
    put_u32(out.encryption_info, agile_reserved);
    out.encryption_info.insert(out.encryption_info.end(), xml.begin(), xml.end());
    // A page's IV is the hash of the data salt and its block key; the CBC chain restarts on every page.
    out.encrypt_page = [secret, data_salt, encoding_key](std::uint32_t number, std::span<std::uint8_t> page) {
        const Bytes iv = first(digest(Hash::sha512, {data_salt, le32(encoding_key ^ number)}), aes_block);
        aes_cbc_encrypt(secret, iv, page);
    };
    return out;
}

}  // namespace

AceEncryptor ace_encryptor(AceEncryption scheme, std::u16string_view password, std::uint32_t encoding_key,
                           bool short_rc4_key) {
    const Bytes password_bytes = utf16le(password);
    return scheme == AceEncryption::agile ? agile(password_bytes, encoding_key)
                                          : cryptoapi_rc4(password_bytes, encoding_key, short_rc4_key);
}

}  // namespace qz::writer

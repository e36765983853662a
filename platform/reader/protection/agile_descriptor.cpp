#include "platform/reader/protection/agile_descriptor.hpp"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "platform/reader/protection/aes.hpp"
#include "platform/reader/protection/libcrypto_functions.hpp"
#include "platform/reader/protection/xml_elements.hpp"

namespace qz::crypto {
namespace {

constexpr std::uint32_t agile_reserved = 0x40;

constexpr std::string_view encryption_namespace = "http://schemas.microsoft.com/office/2006/encryption";
constexpr std::string_view password_namespace = "http://schemas.microsoft.com/office/2006/keyEncryptor/password";

// The format allows at most 10,000,000 rounds; Access writes 100,000. The limit keeps a damaged header from
// stalling the open.
constexpr std::uint32_t max_spin_count = 10'000'000;
// Salts are 1 to 65536 bytes by the format's schema.
constexpr std::uint32_t max_salt_size = 65536;

std::optional<std::uint32_t> parse_count(const std::string* text) {
    if (text == nullptr || text->empty()) return std::nullopt;
    std::uint32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

bool is_base64_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::optional<Bytes> decode_base64(const std::string* text) {
    if (text == nullptr || text->empty() || text->size() % 4 != 0) return std::nullopt;
    const std::size_t padding = text->ends_with("==") ? 2 : text->ends_with("=") ? 1 : 0;
    if (!std::all_of(text->begin(), text->end() - static_cast<std::ptrdiff_t>(padding), is_base64_char)) {
        return std::nullopt;
    }
    Bytes decoded(text->size() / 4 * 3);
    const int length = libcrypto().EVP_DecodeBlock(
        decoded.data(), reinterpret_cast<const unsigned char*>(text->data()), static_cast<int>(text->size()));
    if (length < 0 || static_cast<std::size_t>(length) != decoded.size()) return std::nullopt;
    decoded.resize(decoded.size() - padding);
    return decoded;
}

std::optional<HashAlgorithm> parse_hash(const std::string* name) {
    if (name == nullptr) return std::nullopt;
    if (*name == "SHA1") return HashAlgorithm::sha1;
    if (*name == "SHA256") return HashAlgorithm::sha256;
    if (*name == "SHA384") return HashAlgorithm::sha384;
    if (*name == "SHA512") return HashAlgorithm::sha512;
    return std::nullopt;
}

class DescriptorReader {
public:
    DescriptorReader(HeaderReader& info, const std::vector<XmlElement>& elements) : info_(info), elements_(elements) {}

    // The one element named `local_name` in `namespace_uri` directly inside `parent` (none: the root).
    const XmlElement& only_child(std::optional<std::size_t> parent, std::string_view namespace_uri,
                                 std::string_view local_name) const {
        const XmlElement* found = nullptr;
        std::size_t count = 0;
        for (const XmlElement& element : elements_) {
            if (element.parent != parent || element.local_name != local_name) continue;
            ++count;
            found = &element;
        }
        info_.require(count == 1 && found->namespace_uri == namespace_uri,
                      "a descriptor element is missing, repeated or in another namespace");
        return *found;
    }

    std::size_t index_of(const XmlElement& element) const {
        return static_cast<std::size_t>(&element - elements_.data());
    }

    std::size_t child_count(std::size_t parent) const {
        return static_cast<std::size_t>(std::count_if(elements_.begin(), elements_.end(),
                                                      [&](const XmlElement& e) { return e.parent == parent; }));
    }

    std::uint32_t count(const XmlElement& element, std::string_view name) const {
        const std::optional<std::uint32_t> value = parse_count(element.attribute(name));
        info_.require(value.has_value(), "a descriptor attribute is missing or malformed");
        return *value;
    }

    Bytes base64(const XmlElement& element, std::string_view name) const {
        std::optional<Bytes> value = decode_base64(element.attribute(name));
        info_.require(value.has_value(), "a descriptor attribute is missing or malformed");
        return std::move(*value);
    }

    // Encrypted values are whole AES blocks holding at least `plain_size` bytes.
    Bytes encrypted(const XmlElement& element, std::string_view name, std::size_t plain_size) const {
        Bytes value = base64(element, name);
        info_.require(value.size() % aes_block_size == 0 && value.size() >= plain_size,
                      "an encrypted descriptor value has a wrong length");
        return value;
    }

    AgileCipherParameters cipher_parameters(const XmlElement& element) const {
        const std::string* cipher = element.attribute("cipherAlgorithm");
        const std::string* chaining = element.attribute("cipherChaining");
        info_.require(
            cipher != nullptr && *cipher == "AES" && chaining != nullptr && *chaining == "ChainingModeCBC",
            "the descriptor names a cipher other than AES-CBC");
        const std::optional<HashAlgorithm> hash = parse_hash(element.attribute("hashAlgorithm"));
        info_.require(hash.has_value(), "the descriptor names an unknown hash");

        AgileCipherParameters parameters;
        parameters.hash = *hash;
        const std::uint32_t key_bits = count(element, "keyBits");
        info_.require(key_bits == 128 || key_bits == 192 || key_bits == 256,
                      "the descriptor names an AES key size that does not exist");
        parameters.key_size = key_bits / 8;
        parameters.block_size = count(element, "blockSize");
        info_.require(parameters.block_size == aes_block_size,
                      "the descriptor names a block size other than 16");
        info_.require(count(element, "hashSize") == hash_size(*hash),
                      "the descriptor hash size does not match its hash");
        const std::uint32_t salt_size = count(element, "saltSize");
        parameters.salt = base64(element, "saltValue");
        info_.require(salt_size <= max_salt_size && parameters.salt.size() == salt_size,
                      "a descriptor salt has a wrong size");
        return parameters;
    }

private:
    HeaderReader& info_;
    const std::vector<XmlElement>& elements_;
};

}  // namespace

AgileDescriptor read_agile_descriptor(HeaderReader& info) {
    info.require(info.next_u32() == agile_reserved, "the agile EncryptionInfo reserved field is not 0x40");
    const auto xml = info.next(info.remaining()).bytes();
    const std::optional<std::vector<XmlElement>> elements =
        read_xml_elements(std::string_view(reinterpret_cast<const char*>(xml.data()), xml.size()));
    info.require(elements.has_value(), "the agile descriptor is not well-formed XML");
    const DescriptorReader reader(info, *elements);

    const XmlElement& root = reader.only_child(std::nullopt, encryption_namespace, "encryption");
    const std::size_t root_index = reader.index_of(root);
    const XmlElement& key_data = reader.only_child(root_index, encryption_namespace, "keyData");
    const XmlElement& key_encryptors = reader.only_child(root_index, encryption_namespace, "keyEncryptors");
    const std::size_t encryptors_index = reader.index_of(key_encryptors);
    // Only a password may unlock the file: a certificate encryptor, alone or beside it, is not supported.
    info.require(reader.child_count(encryptors_index) == 1,
                 "the descriptor has not exactly one key encryptor");
    const XmlElement& key_encryptor = reader.only_child(encryptors_index, encryption_namespace, "keyEncryptor");
    const std::string* uri = key_encryptor.attribute("uri");
    info.require(uri != nullptr && *uri == password_namespace, "the key encryptor is not a password");
    const XmlElement& encrypted_key =
        reader.only_child(reader.index_of(key_encryptor), password_namespace, "encryptedKey");

    AgileDescriptor descriptor;
    descriptor.data = reader.cipher_parameters(key_data);
    descriptor.password = reader.cipher_parameters(encrypted_key);
    descriptor.spin_count = reader.count(encrypted_key, "spinCount");
    info.require(descriptor.spin_count <= max_spin_count, "the spin count is too large");
    descriptor.encrypted_verifier_hash_input =
        reader.encrypted(encrypted_key, "encryptedVerifierHashInput", descriptor.password.salt.size());
    descriptor.encrypted_verifier_hash_value =
        reader.encrypted(encrypted_key, "encryptedVerifierHashValue", hash_size(descriptor.password.hash));
    descriptor.encrypted_key_value = reader.encrypted(encrypted_key, "encryptedKeyValue", descriptor.data.key_size);
    return descriptor;
}

}  // namespace qz::crypto

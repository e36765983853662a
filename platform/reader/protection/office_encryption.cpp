#include "platform/reader/protection/office_encryption.hpp"

#include "platform/reader/protection/agile_encryption.hpp"
#include "platform/reader/protection/cryptoapi_aes.hpp"
#include "platform/reader/protection/cryptoapi_rc4.hpp"
#include "platform/reader/protection/header_reader.hpp"
#include "platform/text/utf16le.hpp"

namespace qz::crypto {
namespace {

// Office passwords hold at most 255 UTF-16 units; the rest of a longer one is not used.
constexpr std::size_t max_password_units = 255;

constexpr std::uint16_t agile_major = 4;
constexpr std::uint16_t agile_minor = 4;
constexpr std::uint16_t cryptoapi_minor = 2;

Bytes utf16le_bytes(std::u16string_view password) {
    const std::string bytes = text::utf16_to_utf16le(password.substr(0, max_password_units));
    return Bytes(bytes.begin(), bytes.end());
}

}  // namespace

std::unique_ptr<PageDecoder> open_office_encryption(const ProtectionFields& fields, std::u16string_view password,
                                                    const std::u16string& path) {
    HeaderReader info(fields.encryption_info, path);
    const std::uint16_t major = info.next_u16();
    const std::uint16_t minor = info.next_u16();
    const Bytes password_bytes = utf16le_bytes(password);

    if (major == agile_major && minor == agile_minor) {
        return open_agile_encryption(read_agile_descriptor(info), password_bytes, fields.encoding_key);
    }
    // 2.2, 3.2 and 4.2 are the CryptoAPI schemes; x.3 (an external provider), 1.1 (the RC4 of binary Office
    // documents, which no Access version is known to write) and anything else are not supported.
    info.require(major >= 2 && major <= 4 && minor == cryptoapi_minor,
                 "the EncryptionInfo version is unknown");
    const CryptoApiEncryptionInfo cryptoapi = read_cryptoapi_encryption_info(info);
    if (cryptoapi.scheme == CryptoApiScheme::rc4) return open_cryptoapi_rc4(cryptoapi, password_bytes, fields.encoding_key);
    return open_cryptoapi_aes(cryptoapi, password_bytes, fields.encoding_key);
}

}  // namespace qz::crypto

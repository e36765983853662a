#include "platform/reader/protection/protection_fields.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/reader/protection/header_reader.hpp"

namespace qz::crypto {
namespace {

// Offsets in page 0.
constexpr std::size_t engine_name_offset = 0x04;
constexpr std::size_t version_offset = 0x14;
constexpr std::size_t code_page_offset = 0x3C;
constexpr std::size_t encoding_key_offset = 0x3E;
constexpr std::size_t password_offset = 0x42;
constexpr std::size_t jet3_password_size = 20;
constexpr std::size_t jet4_password_size = 40;
constexpr std::size_t creation_date_offset = 0x72;  // Jet 4 and ACE only
constexpr std::size_t encryption_info_length_offset = 0x299;  // ACE only, u16
constexpr std::size_t encryption_info_offset = 0x29B;

constexpr std::string_view money_engine_name = "MSISAM Database";

std::uint64_t little_endian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

}  // namespace

ProtectionFields read_protection_fields(std::span<const std::uint8_t> header_page, const std::u16string& path) {
    HeaderReader page(header_page, path);
    page.require(header_page.size() > version_offset);
    ProtectionFields fields;
    fields.version = header_page[version_offset];
    const bool jet3 = fields.version == jet3_version;
    const std::size_t password_size = jet3 ? jet3_password_size : jet4_password_size;
    page.require(header_page.size() >= (jet3 ? password_offset + password_size : creation_date_offset + 8));

    const auto engine_name = header_page.subspan(engine_name_offset, money_engine_name.size());
    page.require(!std::equal(engine_name.begin(), engine_name.end(), money_engine_name.begin()));

    fields.code_page = static_cast<std::uint16_t>(little_endian(header_page.subspan(code_page_offset, 2)));
    std::copy_n(header_page.begin() + encoding_key_offset, fields.encoding_key.size(), fields.encoding_key.begin());
    fields.password_field = header_page.subspan(password_offset, password_size);
    if (!jet3) {
        const std::uint64_t bits = little_endian(header_page.subspan(creation_date_offset, 8));
        std::memcpy(&fields.creation_date, &bits, sizeof fields.creation_date);
    }
    if (fields.is_ace() && fields.has_encoding_key()) {
        page.require(header_page.size() >= encryption_info_offset);
        const std::size_t length = little_endian(header_page.subspan(encryption_info_length_offset, 2));
        page.require(length > 0 && length <= header_page.size() - encryption_info_offset);
        fields.encryption_info = header_page.subspan(encryption_info_offset, length);
    }
    return fields;
}

}  // namespace qz::crypto

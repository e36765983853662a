#include "writer/header_page.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "writer/byte_buffer.hpp"
#include "writer/rc4.hpp"
#include "writer/text_bytes.hpp"

namespace qz::writer {
namespace {

constexpr std::array<std::uint8_t, 4> mask_key{0xC7, 0xDA, 0x39, 0x6B};  // 1.1
constexpr std::size_t masked_start = 0x18;
constexpr std::size_t engine_name = 0x04, version = 0x14;
constexpr std::size_t jet3_sort_order = 0x3A, code_page = 0x3C, encoding_key_offset = 0x3E, password = 0x42;
constexpr std::size_t jet3_password_length = 20, jet4_password_length = 40;
constexpr std::size_t sort_order = 0x6E, sort_version = 0x71, creation_date = 0x72, trailer = 0x98;
constexpr std::size_t encryption_info_length_offset = 0x299, encryption_info_offset = 0x29B;
constexpr std::uint16_t general_sort = 0x0409;
// Eight bytes after the masked region in every Jet 4 and ACE file (1.2, meaning unknown).
constexpr std::array<std::uint8_t, 8> jet4_trailer{0x54, 0x06, 0x00, 0x00, 0x34, 0x2E, 0x30, 0x00};

}  // namespace

void write_header_page(std::span<std::uint8_t> page, const FileLayout& layout, const Schema& schema,
                       std::uint32_t encoding_key, std::span<const std::uint8_t> encryption_info) {
    page[0] = 0x00;
    page[1] = 0x01;
    const char* name = layout.ace() ? "Standard ACE DB" : "Standard Jet DB";
    std::memcpy(page.data() + engine_name, name, std::strlen(name) + 1);
    page[version] = layout.version;
    set_u16(page, code_page, schema.code_page);
    set_u32(page, encoding_key_offset, encoding_key);
    // An encrypted ACE file keeps no password here, only filler: the key's first byte, as Access leaves it.
    const Bytes password_bytes = encryption_info.empty()
                                     ? encode_text(layout, schema.password)
                                     : Bytes(jet4_password_length, static_cast<std::uint8_t>(encoding_key));
    if (password_bytes.size() > (layout.jet3 ? jet3_password_length : jet4_password_length))
        throw std::invalid_argument("a database password has at most 20 characters");
    if (!encryption_info.empty()) {
        if (encryption_info.size() > page.size() - encryption_info_offset)
            throw std::invalid_argument("the EncryptionInfo does not fit page 0");
        set_u16(page, encryption_info_length_offset, static_cast<std::uint32_t>(encryption_info.size()));
        std::copy(encryption_info.begin(), encryption_info.end(), page.begin() + encryption_info_offset);
    }
    if (layout.jet3) {
        set_u16(page, jet3_sort_order, general_sort);
        std::copy(password_bytes.begin(), password_bytes.end(), page.begin() + password);
    } else {
        set_u16(page, sort_order, general_sort);
        page[sort_version] = 0;
        const auto date = std::bit_cast<std::uint64_t>(schema.created);
        for (std::size_t i = 0; i < 8; ++i) page[creation_date + i] = static_cast<std::uint8_t>(date >> (8 * i));
        // The password, zero-filled, under the creation-date mask (1.5).
        const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(schema.created)));
        for (std::size_t i = 0; i < jet4_password_length; ++i) {
            const std::uint8_t plain = i < password_bytes.size() ? password_bytes[i] : 0;
            page[password + i] = static_cast<std::uint8_t>(plain ^ (mask >> (8 * (i % 4))));
        }
        std::memcpy(page.data() + trailer, jet4_trailer.data(), jet4_trailer.size());
    }
    rc4_apply(mask_key, page.subspan(masked_start, layout.header_mask_length));
}

}  // namespace qz::writer

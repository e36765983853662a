#include "writer/header_page.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "writer/byte_buffer.hpp"

namespace qz::writer {
namespace {

constexpr std::array<std::uint8_t, 4> mask_key{0xC7, 0xDA, 0x39, 0x6B};  // 1.1
constexpr std::size_t masked_start = 0x18;
constexpr std::size_t engine_name = 0x04, version = 0x14;
constexpr std::size_t jet3_sort_order = 0x3A, code_page = 0x3C, encoding_key = 0x3E, password = 0x42;
constexpr std::size_t jet4_password_length = 40;
constexpr std::size_t sort_order = 0x6E, sort_version = 0x71, creation_date = 0x72, trailer = 0x98;
constexpr std::uint16_t general_sort = 0x0409;
// Eight bytes after the masked region in every Jet 4 and ACE file (1.2, meaning unknown).
constexpr std::array<std::uint8_t, 8> jet4_trailer{0x54, 0x06, 0x00, 0x00, 0x34, 0x2E, 0x30, 0x00};

// The RC4 keystream (the cipher's key schedule and output generator).
std::vector<std::uint8_t> rc4_keystream(std::span<const std::uint8_t> key, std::size_t length) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i);
    std::size_t j = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        j = (j + s[i] + key[i % key.size()]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::vector<std::uint8_t> out(length);
    std::size_t a = 0, b = 0;
    for (auto& byte : out) {
        a = (a + 1) & 0xFF;
        b = (b + s[a]) & 0xFF;
        std::swap(s[a], s[b]);
        byte = s[(s[a] + s[b]) & 0xFF];
    }
    return out;
}

}  // namespace

void write_header_page(std::span<std::uint8_t> page, const FileLayout& layout, const Schema& schema) {
    page[0] = 0x00;
    page[1] = 0x01;
    const char* name = layout.ace() ? "Standard ACE DB" : "Standard Jet DB";
    std::memcpy(page.data() + engine_name, name, std::strlen(name) + 1);
    page[version] = layout.version;
    set_u16(page, code_page, schema.code_page);
    set_u32(page, encoding_key, 0);  // pages stored plainly
    if (layout.jet3) {
        set_u16(page, jet3_sort_order, general_sort);
    } else {
        set_u16(page, sort_order, general_sort);
        page[sort_version] = 0;
        const auto date = std::bit_cast<std::uint64_t>(schema.created);
        for (std::size_t i = 0; i < 8; ++i) page[creation_date + i] = static_cast<std::uint8_t>(date >> (8 * i));
        // An empty password is stored as the creation-date mask itself (1.5).
        const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::trunc(schema.created)));
        for (std::size_t i = 0; i < jet4_password_length; ++i)
            page[password + i] = static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
        std::memcpy(page.data() + trailer, jet4_trailer.data(), jet4_trailer.size());
    }
    const std::vector<std::uint8_t> stream = rc4_keystream(mask_key, layout.header_mask_length);
    for (std::size_t i = 0; i < stream.size(); ++i) page[masked_start + i] ^= stream[i];
}

}  // namespace qz::writer

#include "writer/text_bytes.hpp"

#include <array>
#include <stdexcept>

namespace qz::writer {
namespace {

// Windows-1252 bytes 0x80-0x9F; the rest of the code page equals Latin-1. (0 = no character.)
constexpr std::array<char16_t, 32> cp1252_high{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::uint8_t cp1252_byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
    for (std::size_t i = 0; i < cp1252_high.size(); ++i) {
        if (cp1252_high[i] == c && c != 0) return static_cast<std::uint8_t>(0x80 + i);
    }
    throw std::invalid_argument("a Jet 3 text holds a character outside Windows-1252");
}

// Access leaves long Memo values uncompressed (reference 6.2).
constexpr std::size_t max_compressed_characters = 1024;

}  // namespace

Bytes encode_text(const FileLayout& layout, std::u16string_view text) {
    Bytes out;
    out.reserve(text.size() * 2);
    for (const char16_t c : text) {
        if (layout.jet3) {
            put_u8(out, cp1252_byte(c));
        } else {
            put_u16(out, c);
        }
    }
    return out;
}

Bytes encode_text_value(const FileLayout& layout, std::u16string_view text, bool compress) {
    bool one_byte = compress && !layout.jet3 && text.size() <= max_compressed_characters;
    for (const char16_t c : text) one_byte = one_byte && c > 0 && c <= 0xFF;
    if (!one_byte) return encode_text(layout, text);
    Bytes out{0xFF, 0xFE};
    for (const char16_t c : text) put_u8(out, c);
    return out;
}

void put_name(Bytes& out, const FileLayout& layout, std::u16string_view name) {
    const Bytes bytes = encode_text(layout, name);
    if (layout.jet3) {
        if (bytes.size() > 0xFF) throw std::invalid_argument("a name is too long");
        put_u8(out, static_cast<std::uint32_t>(bytes.size()));
    } else {
        put_u16(out, static_cast<std::uint32_t>(bytes.size()));
    }
    put_bytes(out, bytes);
}

}  // namespace qz::writer

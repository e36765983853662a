#include "writer/sort_key.hpp"

#include <array>
#include <stdexcept>

namespace qz::writer {
namespace {

constexpr std::uint8_t value_flag = 0x7F;
constexpr std::uint8_t null_flag = 0x00;
constexpr std::uint8_t text_end = 0x01;
constexpr std::uint8_t extras_end = 0x00;
constexpr std::uint8_t plain_letter_mark = 0x02;  // "no accent" in the accent part of a text key

// Weights of a..z and 0..9 in the General sort order.
constexpr std::array<std::uint8_t, 26> letter_weight{0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                                     0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                                     0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
constexpr std::uint8_t digit_weight_0 = 0x36;  // then every second value up to 9

struct Punctuation {
    char16_t c;
    std::uint8_t first, second;  // second 0: one byte
};
constexpr std::array<Punctuation, 7> punctuation{{{u' ', 0x07, 0},
                                                  {u',', 0x1A, 0},
                                                  {u':', 0x20, 0},
                                                  {u';', 0x22, 0},
                                                  {u'=', 0x30, 0},
                                                  {u'_', 0x2B, 0x03},
                                                  {u'|', 0x2B, 0x0B}}};

struct AccentedLetter {
    char16_t c;
    char base;
    std::uint8_t accent;
};
// Acute 0x0E, tilde 0x19, cedilla 0x1C.
constexpr std::array<AccentedLetter, 9> accented{{{u'\u00E1', 'a', 0x0E},
                                                  {u'\u00E9', 'e', 0x0E},
                                                  {u'\u00ED', 'i', 0x0E},
                                                  {u'\u00F3', 'o', 0x0E},
                                                  {u'\u00FA', 'u', 0x0E},
                                                  {u'\u00E3', 'a', 0x19},
                                                  {u'\u00F5', 'o', 0x19},
                                                  {u'\u00F1', 'n', 0x19},
                                                  {u'\u00E7', 'c', 0x1C}}};

char16_t lower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
    return c;
}

// Weights for characters the table above does not know: three bytes from 0xC0 up, in code-point order.
void put_other_character(Bytes& key, char16_t c) {
    put_u8(key, 0xC0u | (c >> 12));
    put_u8(key, 0x40u | ((c >> 6) & 0x3Fu));
    put_u8(key, 0x40u | (c & 0x3Fu));
}

void put_integer(Bytes& key, std::int64_t value, int bytes) {
    const auto raw = static_cast<std::uint64_t>(value) ^ (std::uint64_t{1} << (8 * bytes - 1));
    for (int i = bytes - 1; i >= 0; --i) put_u8(key, static_cast<std::uint32_t>(raw >> (8 * i)));
}

}  // namespace

void put_text_key(Bytes& key, std::u16string_view text) {
    Bytes accents;
    std::size_t marks = 0;  // characters before the last accented one still owe their "no accent" mark
    for (const char16_t original : text) {
        const char16_t c = lower(original);
        std::uint8_t accent = 0;
        char16_t base = c;
        for (const auto& a : accented) {
            if (a.c == c) {
                base = static_cast<char16_t>(a.base);
                accent = a.accent;
            }
        }
        if (base >= u'a' && base <= u'z') {
            put_u8(key, letter_weight[static_cast<std::size_t>(base - u'a')]);
        } else if (base >= u'0' && base <= u'9') {
            put_u8(key, digit_weight_0 + 2u * static_cast<std::uint32_t>(base - u'0'));
        } else {
            const Punctuation* known = nullptr;
            for (const auto& p : punctuation) {
                if (p.c == base) known = &p;
            }
            if (known != nullptr) {
                put_u8(key, known->first);
                if (known->second != 0) put_u8(key, known->second);
            } else {
                put_other_character(key, c);
            }
        }
        if (accent != 0) {
            accents.insert(accents.end(), marks, plain_letter_mark);
            accents.push_back(accent);
            marks = 0;
        } else {
            ++marks;
        }
    }
    put_u8(key, text_end);
    put_bytes(key, accents);
    put_u8(key, extras_end);
}

void put_key_part(Bytes& key, ColumnType type, const Value& value, bool descending) {
    const std::size_t start = key.size();
    if (std::holds_alternative<std::monostate>(value)) {
        put_u8(key, null_flag);
    } else {
        put_u8(key, value_flag);
        switch (type) {
            case ColumnType::byte:
                put_u8(key, static_cast<std::uint32_t>(std::get<std::int64_t>(value)));
                break;
            case ColumnType::integer:
                put_integer(key, std::get<std::int64_t>(value), 2);
                break;
            case ColumnType::long_integer:
                put_integer(key, std::get<std::int64_t>(value), 4);
                break;
            case ColumnType::boolean:
                put_u8(key, std::get<bool>(value) ? 0x00 : 0xFF);
                break;
            case ColumnType::text:
                put_text_key(key, std::get<std::u16string>(value));
                break;
            default:
                throw std::invalid_argument("the writer makes index keys only for integer, Boolean and Text columns");
        }
    }
    if (descending) {
        for (std::size_t i = start; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(~key[i]);
    }
}

}  // namespace qz::writer

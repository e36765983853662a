#include "platform/files/native_path.hpp"

#include <cstdint>

#include "platform/text/code_points.hpp"

namespace qz::files {
namespace {

constexpr char16_t escape_base = 0xDC00;  // + a byte of 0x80 to 0xFF
constexpr char32_t replacement = 0xFFFD;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid UTF-8 sequence at the start of `bytes` and its code point; 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are not valid).
std::size_t decode_one(std::string_view bytes, char32_t& code_point) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        code_point = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        smallest = 0x80;
        code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        smallest = 0x800;
        code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        smallest = 0x10000;
        code_point = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!is_continuation(byte)) return 0;
        code_point = code_point << 6 | (byte & 0x3F);
    }
    if (code_point < smallest || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void append_utf8(std::string& bytes, char32_t code_point) {
    const auto put = [&bytes](char32_t value) { bytes.push_back(static_cast<char>(value)); };
    if (code_point < 0x80) {
        put(code_point);
    } else if (code_point < 0x800) {
        put(0xC0 | code_point >> 6);
        put(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        put(0xE0 | code_point >> 12);
        put(0x80 | (code_point >> 6 & 0x3F));
        put(0x80 | (code_point & 0x3F));
    } else {
        put(0xF0 | code_point >> 18);
        put(0x80 | (code_point >> 12 & 0x3F));
        put(0x80 | (code_point >> 6 & 0x3F));
        put(0x80 | (code_point & 0x3F));
    }
}

}  // namespace

std::u16string text_from_native(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t code_point = 0;
        const std::size_t length = decode_one(bytes, code_point);
        if (length == 0) {
            text.push_back(static_cast<char16_t>(escape_base + static_cast<unsigned char>(bytes[0])));
            bytes.remove_prefix(1);
        } else {
            text::append_code_point(text, code_point);
            bytes.remove_prefix(length);
        }
    }
    return text;
}

std::string native_from_text(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] >= escape_base + 0x80 && text[i] <= escape_base + 0xFF) {
            bytes.push_back(static_cast<char>(text[i++] - escape_base));
            continue;
        }
        const char32_t code_point = text::next_code_point(text, i);
        append_utf8(bytes, text::is_surrogate(code_point) ? replacement : code_point);
    }
    return bytes;
}

std::filesystem::path native_path(std::u16string_view text) {
    return std::filesystem::path(native_from_text(text));
}

}  // namespace qz::files

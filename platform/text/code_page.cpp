#include "platform/text/code_page.hpp"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

#include "platform/errors.hpp"
#include "platform/text/utf16le.hpp"

namespace qz::text {
namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`. Where iconv meets input it cannot convert, `on_invalid` gets the rest of the
    // input, appends its own replacement to the output and says how many input bytes it consumed.
    std::string run(std::string_view in,
                    const std::function<std::size_t(std::string_view rest, std::string& out)>& on_invalid) {
        std::string out;
        std::array<char, 4096> buffer{};
        char* in_ptr = const_cast<char*>(in.data());
        std::size_t in_left = in.size();
        while (in_left > 0) {
            char* out_ptr = buffer.data();
            std::size_t out_left = buffer.size();
            const std::size_t result = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
            out.append(buffer.data(), buffer.size() - out_left);
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: the input at in_ptr cannot be converted.
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            std::size_t used = on_invalid(std::string_view(in_ptr, in_left), out);
            if (used == 0 || used > in_left) used = in_left;
            in_ptr += used;
            in_left -= used;
        }
        return out;
    }

private:
    iconv_t cd_;
};

void append_unit(std::string& utf16le, char16_t unit) {
    utf16le += utf16_to_utf16le(std::u16string_view(&unit, 1));
}

void require(const Converter& converter) {
    if (!converter.valid()) {
        throw errors::text_conversion_unavailable();
    }
}

// The bytes Windows-1252 leaves undefined; they stand for the C1 control characters of the same value.
bool is_cp1252_gap(unsigned value) {
    return value == 0x81 || value == 0x8D || value == 0x8F || value == 0x90 || value == 0x9D;
}

// Text through `converter` (to UTF-16LE); a byte it cannot take becomes U+FFFD, or with `gaps_are_c1` the
// C1 control character of its value where Windows-1252 leaves it undefined.
std::u16string decode_with(Converter& converter, std::string_view bytes, bool gaps_are_c1) {
    require(converter);
    return utf16le_to_utf16(converter.run(bytes, [gaps_are_c1](std::string_view rest, std::string& out) {
        const auto byte = static_cast<unsigned char>(rest.front());
        append_unit(out, gaps_are_c1 && is_cp1252_gap(byte) ? static_cast<char16_t>(byte) : u'\uFFFD');
        return std::size_t{1};
    }));
}

// Every Windows code page and UTF-8 agree with ASCII below 0x80. Most catalog text is ASCII, and opening
// an iconv descriptor costs far more than converting a name, so such text is widened or narrowed directly.
template <class Unit>
bool is_ascii(std::basic_string_view<Unit> text) {
    for (const Unit unit : text) {
        if (static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Unit>>(unit)) >= 0x80) return false;
    }
    return true;
}

std::u16string widen_ascii(std::string_view bytes) { return std::u16string(bytes.begin(), bytes.end()); }

}  // namespace

std::u16string utf8_to_utf16(std::string_view bytes) {
    if (is_ascii(bytes)) return widen_ascii(bytes);
    Converter converter("UTF-16LE", "UTF-8");
    require(converter);
    return utf16le_to_utf16(converter.run(bytes, [](std::string_view, std::string& out) {
        append_unit(out, u'\uFFFD');
        return std::size_t{1};
    }));
}

std::string utf16_to_utf8(std::u16string_view text) {
    if (is_ascii(text)) return std::string(text.begin(), text.end());
    Converter converter("UTF-8", "UTF-16LE");
    require(converter);
    return converter.run(utf16_to_utf16le(text), [](std::string_view, std::string& out) {
        out += "\xEF\xBF\xBD";
        return std::size_t{2};
    });
}

std::u16string cp1252_to_utf16(std::string_view bytes) {
    if (is_ascii(bytes)) return widen_ascii(bytes);
    Converter converter("UTF-16LE", "CP1252");
    return decode_with(converter, bytes, true);
}

std::string utf16_to_cp1252(std::u16string_view text) {
    Converter converter("CP1252", "UTF-16LE");
    require(converter);
    return converter.run(utf16_to_utf16le(text), [](std::string_view rest, std::string& out) {
        const unsigned unit = static_cast<unsigned char>(rest[0]) | (static_cast<unsigned>(static_cast<unsigned char>(rest[1])) << 8);
        out.push_back(is_cp1252_gap(unit) ? static_cast<char>(unit) : '?');
        // A whole surrogate pair is one character and gets one '?'.
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && rest.size() >= 4 &&
                          (static_cast<unsigned char>(rest[3]) & 0xFC) == 0xDC;
        return std::size_t{pair ? 4u : 2u};
    });
}

std::u16string windows_code_page_to_utf16(std::string_view bytes, unsigned code_page) {
    if (is_ascii(bytes)) return widen_ascii(bytes);
    const std::string charset = "CP" + std::to_string(code_page);
    Converter converter("UTF-16LE", charset.c_str());
    if (code_page == 1252 || !converter.valid()) return cp1252_to_utf16(bytes);
    return decode_with(converter, bytes, false);
}

std::u16string charset_to_utf16(std::string_view bytes, const std::string& charset) {
    if (is_ascii(bytes)) return widen_ascii(bytes);
    Converter converter("UTF-16LE", charset.c_str());
    if (!converter.valid()) return utf8_to_utf16(bytes);
    return decode_with(converter, bytes, false);
}

}  // namespace qz::text

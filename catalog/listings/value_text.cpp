#include "catalog/listings/value_text.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace qz::listings {
namespace {

std::u16string ascii_to_utf16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// A floating value as VB writes it: 15 significant digits, trailing zeros dropped, an exponent ("1E+20",
// "1E-05") outside the plain range, and never a negative zero.
std::u16string floating_text(double value) {
    if (value == 0.0) return u"0";
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
    std::u16string text = ascii_to_utf16(std::string_view(buffer.data(), result.ptr));
    for (char16_t& unit : text) {
        if (unit == u'e') unit = u'E';
    }
    return text;
}

}  // namespace

std::u16string integer_text(std::int64_t value) {
    std::u16string text;
    append_integer(text, value);
    return text;
}

void append_integer(std::u16string& text, std::int64_t value) {
    std::array<char, 24> digits{};
    char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    const std::size_t start = text.size();
    text.resize(start + static_cast<std::size_t>(end - digits.data()));
    std::copy(digits.data(), end, text.begin() + static_cast<std::ptrdiff_t>(start));
}

std::u16string boolean_text(bool value) { return value ? u"True" : u"False"; }

std::u16string variant_text(const engine::Variant& value, const locale::DateText& dates) {
    struct Visitor {
        const locale::DateText& dates;
        std::u16string operator()(std::monostate) const { return {}; }
        std::u16string operator()(bool flag) const { return boolean_text(flag); }
        std::u16string operator()(std::int64_t number) const { return integer_text(number); }
        std::u16string operator()(double number) const { return floating_text(number); }
        std::u16string operator()(const std::u16string& text) const { return text; }
        std::u16string operator()(engine::OleDate date) const { return dates.format(date); }
    };
    return std::visit(Visitor{dates}, value);
}

}  // namespace qz::listings

// The five UTF-8 methods on arbitrary bytes, read both as a byte string and as UTF-16LE units. Besides
// crashes, the target checks what the methods promise each other: UTF-16 survives the trip through UTF-8
// (unpaired surrogates become U+FFFD), what UTF16toUTF8 writes is UTF-8 by IsUTF8, and the byte-per-character
// encoders hold the same bytes UTF16toUTF8 writes. A broken promise aborts, so libFuzzer keeps the input.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "text/utf8_methods.hpp"

namespace {

using qz::fuzz::input_text;

void require(bool promise_kept) {
    if (!promise_kept) std::abort();
}

// `units` with every surrogate that is not half of a pair replaced by U+FFFD.
std::u16string with_unpaired_surrogates_replaced(std::u16string units) {
    const auto high = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto low = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (high(units[i]) && i + 1 < units.size() && low(units[i + 1])) {
            ++i;
        } else if (high(units[i]) || low(units[i])) {
            units[i] = u'\uFFFD';
        }
    }
    return units;
}

void check_byte_string_methods(const std::string& bytes) {
    // The sample size comes from the input too, so sizes past the end, zero and negative ones are tried.
    std::int32_t read_size = 2048;
    if (bytes.size() >= sizeof read_size) std::memcpy(&read_size, bytes.data(), sizeof read_size);
    (void)qz::text::IsUTF8(bytes, read_size);

    std::u16string text;
    qz::text::UTF8toUTF16(bytes, text);
    std::string again;
    qz::text::UTF16toUTF8(text, again);
    std::u16string text_again;
    qz::text::UTF8toUTF16(again, text_again);
    require(text_again == text);
}

void check_utf16_methods(const std::u16string& units) {
    std::string utf8;
    qz::text::UTF16toUTF8(units, utf8);
    std::u16string back;
    qz::text::UTF8toUTF16(utf8, back);
    require(back == with_unpaired_surrogates_replaced(units));
    require(utf8.empty() || qz::text::IsUTF8(utf8, static_cast<std::int32_t>(utf8.size())));

    const std::u16string up_to_nul = units.substr(0, units.find(u'\0'));
    std::string utf8_up_to_nul;
    qz::text::UTF16toUTF8(up_to_nul, utf8_up_to_nul);
    require(qz::text::utf16_to_cp1252(qz::text::UTF8_Encode(units)) == utf8_up_to_nul);

    try {
        const std::u16string encoded = qz::text::Encode_UTF8(units);
        std::size_t expected_length = 0;  // each unit encoded by itself
        for (const char16_t unit : units) expected_length += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        require(qz::text::utf16_to_cp1252(encoded).size() == expected_length);
    } catch (const qz::Error& error) {
        require(error.number() == qz::error_number::overflow && units.size() >= 32767);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = input_text(data, size);
    check_byte_string_methods(std::string(input));
    std::u16string units(input.size() / 2, u'\0');  // the bytes as UTF-16LE units
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    check_utf16_methods(units);
    return 0;
}

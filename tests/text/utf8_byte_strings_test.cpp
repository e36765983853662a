#include <gtest/gtest.h>

#include <string>

#include "platform/error.hpp"
#include "text/byte_strings.hpp"
#include "text/overflow.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

using test::bytes;
using test::units;

struct Pair {
    const char* fault;
    std::u16string text;
    std::string utf8;
};

TEST(UTF16toUTF8, ConvertsEveryUnitByExactCount) {
    const Pair cases[] = {
        {"ASCII not one byte each", u"abc", "abc"},
        {"U+0000 taken as the end", units({0x41, 0x00, 0x42}), bytes({0x41, 0x00, 0x42})},
        {"U+0000 at the end dropped", units({0x41, 0x00}), bytes({0x41, 0x00})},
        {"surrogate pair not joined", units({0xD83D, 0xDE00}), bytes({0xF0, 0x9F, 0x98, 0x80})},
        {"unit from U+8000 read as signed", units({0x8000, 0xFFFF}), bytes({0xE8, 0x80, 0x80, 0xEF, 0xBF, 0xBF})},
        {"byte-order mark dropped", units({0xFEFF}), bytes({0xEF, 0xBB, 0xBF})},
        {"unpaired high surrogate not replaced", units({0xD800, 0x41}), bytes({0xEF, 0xBF, 0xBD, 0x41})},
        {"unpaired surrogate at the end lost", units({0x41, 0xDBFF}), bytes({0x41, 0xEF, 0xBF, 0xBD})},
        {"low surrogate first joined", units({0xDC00, 0xD800}), bytes({0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD})},
    };
    for (const Pair& c : cases) {
        std::string out = "stale";
        UTF16toUTF8(c.text, out);
        EXPECT_EQ(out, c.utf8) << c.fault;
    }
}

TEST(UTF8toUTF16, ConvertsEveryByteByExactCount) {
    const Pair cases[] = {
        {"two-byte sequence not decoded", units({0xE9}), bytes({0xC3, 0xA9})},
        {"U+0000 taken as the end", units({0x41, 0x00, 0x42}), bytes({0x41, 0x00, 0x42})},
        {"four-byte sequence not split into a pair", units({0xD83D, 0xDE00}), bytes({0xF0, 0x9F, 0x98, 0x80})},
        {"byte-order mark dropped", units({0xFEFF, 0x41}), bytes({0xEF, 0xBB, 0xBF, 0x41})},
        // Malformed input: each byte outside a well-formed sequence becomes one U+FFFD.
        {"overlong form decoded", units({0xFFFD, 0xFFFD}), bytes({0xC0, 0x80})},
        {"encoded surrogate decoded", units({0xFFFD, 0xFFFD, 0xFFFD}), bytes({0xED, 0xA0, 0x80})},
        {"code point above U+10FFFF decoded", units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}), bytes({0xF4, 0x90, 0x80, 0x80})},
        {"cut sequence swallows the next byte", units({0xFFFD, 0xFFFD, 0x41}), bytes({0xE2, 0x82, 0x41})},
        {"cut sequence at the end lost", units({0x41, 0xFFFD}), bytes({0x41, 0xC3})},
        {"0xFF accepted", units({0xFFFD, 0x41}), bytes({0xFF, 0x41})},
    };
    for (const Pair& c : cases) {
        std::u16string out = u"stale";
        UTF8toUTF16(c.utf8, out);
        EXPECT_EQ(out, c.text) << c.fault;
    }
}

TEST(UTF8ByteStrings, EmptyInputEmptiesTheOutput) {
    std::string bytes_out = "stale";
    UTF16toUTF8(u"", bytes_out);
    EXPECT_EQ(bytes_out, "") << "the output argument kept its old value";
    std::u16string text_out = u"stale";
    UTF8toUTF16("", text_out);
    EXPECT_EQ(text_out, u"") << "the output argument kept its old value";
}

TEST(UTF8ByteStrings, TextRoundTripsThroughUTF8) {
    const std::u16string text = units({0x41, 0x00, 0xE9, 0x20AC, 0x8000, 0xFFFF, 0xD83D, 0xDE00, 0x7F, 0x80});
    std::string utf8;
    UTF16toUTF8(text, utf8);
    std::u16string back;
    UTF8toUTF16(utf8, back);
    EXPECT_EQ(back, text);
}

// Sizes beyond a signed 32-bit byte count cannot be tested with real texts of 1 GiB; the limit they meet is.
TEST(UTF8ByteStrings, BufferSizeBeyondInt32IsOverflow) {
    EXPECT_NO_THROW(require_int32_byte_count(536870911, utf8_buffer_bytes_per_unit));
    EXPECT_NO_THROW(require_int32_byte_count(1073741823, utf16_buffer_bytes_per_byte));
    for (const auto& [count, item_size] : {std::pair<std::size_t, std::size_t>{536870912, utf8_buffer_bytes_per_unit},
                                           {1073741824, utf16_buffer_bytes_per_byte},
                                           {std::size_t{1} << 62, utf8_buffer_bytes_per_unit}}) {
        try {
            require_int32_byte_count(count, item_size);
            ADD_FAILURE() << count << " items of " << item_size << " bytes did not overflow";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::overflow);
            EXPECT_EQ(error.description(), u"Overflow");
        }
    }
}

}  // namespace
}  // namespace qz::text

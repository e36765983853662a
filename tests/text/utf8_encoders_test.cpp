#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "text/byte_strings.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

using test::units;

// Windows-1252 for the bytes 0x80 to 0x9F, written out here so that a wrong table in the converter shows;
// its five undefined bytes stand for the C1 controls of the same value.
constexpr char16_t cp1252_80_to_9f[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct Encoding {
    const char* fault;
    std::u16string text;
    std::u16string byte_per_character;
};

TEST(UTF8Encoders, BothWriteOneCharacterPerUTF8Byte) {
    const Encoding cases[] = {
        {"ASCII changed", u"abc", u"abc"},
        {"two-byte form wrong", units({0xE9}), units({0xC3, 0xA9})},
        {"continuation 0x82 not read through Windows-1252", units({0x20AC}), units({0xE2, 0x201A, 0xAC})},
        {"last two-byte unit wrong", units({0x7FF}), units({0xDF, 0xBF})},
        {"first three-byte unit wrong", units({0x800}), units({0xE0, 0xA0, 0x20AC})},
        {"unit from U+8000 read as signed", units({0x8000}), units({0xE8, 0x20AC, 0x20AC})},
        {"top unit wrong", units({0xFFFF}), units({0xEF, 0xBF, 0xBF})},
    };
    for (const Encoding& c : cases) {
        EXPECT_EQ(UTF8_Encode(c.text), c.byte_per_character) << "UTF8_Encode: " << c.fault;
        EXPECT_EQ(Encode_UTF8(c.text), c.byte_per_character) << "Encode_UTF8: " << c.fault;
    }
}

TEST(UTF8Encoders, ContinuationBytes80To9FReadThroughWindows1252) {
    // U+0400 + k is D0, 0x80 + k in UTF-8: its second byte walks the range that differs from Latin-1.
    for (char16_t k = 0; k < 32; ++k) {
        const std::u16string text(1, static_cast<char16_t>(0x400 + k));
        const std::u16string expected = units({0xD0, cp1252_80_to_9f[k]});
        EXPECT_EQ(UTF8_Encode(text), expected) << "byte 0x" << std::hex << 0x80 + k;
        EXPECT_EQ(Encode_UTF8(text), expected) << "byte 0x" << std::hex << 0x80 + k;
    }
}

TEST(UTF8Encoders, EncodedBytesRoundTripThroughWindows1252) {
    std::u16string text;
    for (char16_t unit = 1; unit < 0xD800; unit = static_cast<char16_t>(unit + 7)) text += unit;
    for (const auto& encoded : {UTF8_Encode(text), Encode_UTF8(text)}) {
        std::u16string back;
        UTF8toUTF16(utf16_to_cp1252(encoded), back);
        EXPECT_EQ(back, text) << "a byte was lost between byte-per-character text and its bytes";
    }
}

TEST(UTF8Encode, StopsAtTheFirstU0000) {
    EXPECT_EQ(UTF8_Encode(units({0x41, 0xE9, 0x00, 0x42})), units({0x41, 0xC3, 0xA9}));
    EXPECT_EQ(UTF8_Encode(units({0x00, 0x42})), u"");
    EXPECT_EQ(UTF8_Encode(u""), u"");
}

TEST(UTF8Encode, JoinsSurrogatePairs) {
    EXPECT_EQ(UTF8_Encode(units({0xD83D, 0xDE00})), units({0xF0, 0x178, 0x2DC, 0x20AC}));
    EXPECT_EQ(UTF8_Encode(units({0xD83D, 0x41})), units({0xEF, 0xBF, 0xBD, 0x41}))
        << "an unpaired surrogate must give the bytes of U+FFFD";
}

TEST(UTF8Encode, HasNoUnitLimit) {
    EXPECT_EQ(UTF8_Encode(std::u16string(40000, u'a')).size(), 40000u);
}

TEST(EncodeUTF8, CopiesU0000AndSplitsSurrogatePairs) {
    EXPECT_EQ(Encode_UTF8(units({0x41, 0x00, 0x42})), units({0x41, 0x00, 0x42}));
    // D83D is ED A0 BD and DE00 is ED B8 80, each by itself.
    EXPECT_EQ(Encode_UTF8(units({0xD83D, 0xDE00})), units({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x20AC}));
    EXPECT_EQ(Encode_UTF8(u""), u"");
}

TEST(EncodeUTF8, TakesAtMost32766Units) {
    const std::u16string longest(32766, u'\x8000');
    EXPECT_EQ(Encode_UTF8(longest).size(), 3 * longest.size());
    // 65536 and 65537 units would pass a length kept in 16 bits as 0 and 1.
    for (const std::size_t length : {32767u, 32768u, 65535u, 65536u, 65537u}) {
        try {
            Encode_UTF8(std::u16string(length, u'a'));
            ADD_FAILURE() << length << " units did not overflow";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::overflow) << length << " units";
            EXPECT_EQ(error.description(), u"Overflow");
        }
    }
}

}  // namespace
}  // namespace qz::text

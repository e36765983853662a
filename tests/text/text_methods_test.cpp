// The five text methods, once for every binding: the C interface and the Python module pass their arguments
// through to these same functions.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/error.hpp"
#include "text/overflow.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

TEST(IsUTF8, LeadAndContinuationPatternDecidesAlone) {
    struct Case {
        const char* fault;  // what a wrong scan would get wrong here
        std::string text;
        std::int32_t read_size;
        bool expected;
    };
    const Case cases[] = {
        {"empty text taken as UTF-8", "", 2048, false},
        {"sample size 0 not taken as no sample", "abc", 0, false},
        {"lone continuation byte accepted", "\xA9", 2048, false},
        {"0xFF 0xFE not passed over", "\xFF\xFE", 2048, true},
        {"position not moved past a whole sequence", "\xE2\x82\xAC\x41", 2048, true},
        {"0xFC lead counted as fewer than 5", "\xFC\x80\x80\x80\x80\x41", 2048, false},
        {"sequence cut by the sample rejected", "\xC3\xA9", 1, true},
        {"sample larger than the text read past its end", "\x41\xF0\x9F", 2048, true},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUTF8(c.text, c.read_size), c.expected) << c.fault;
    EXPECT_TRUE(IsUTF8(std::string(2048, 'a') + "\x80")) << "the default sample is not 2048 bytes";
}

TEST(UTF8ByteStrings, ConvertEveryUnitAndByteByExactCount) {
    // U+0000 inside, a surrogate pair; the output given is replaced, not added to.
    const std::pair<std::u16string, std::string> both_ways[] = {
        {std::u16string(u"A\0B", 3), std::string("A\0B", 3)}, {u"\xD83D\xDE00", "\xF0\x9F\x98\x80"}};
    for (const auto& [text, utf8] : both_ways) {
        std::u16string decoded = u"stale";
        UTF8toUTF16(utf8, decoded);
        EXPECT_EQ(decoded, text);
        std::string encoded = "stale";
        UTF16toUTF8(text, encoded);
        EXPECT_EQ(encoded, utf8);
    }
    std::u16string text;
    UTF8toUTF16("\xE2\x82\x41", text);
    EXPECT_EQ(text, u"\xFFFD\xFFFD\x41") << "each byte of a cut sequence is U+FFFD, the next byte is kept";
}

// Both encoders write one character per UTF-8 byte, each byte read as Windows-1252 (its five undefined
// bytes as the C1 controls of the same value).
TEST(UTF8Encoders, WriteOneCharacterPerUTF8Byte) {
    const std::pair<std::u16string, std::u16string> both[] = {
        {u"\xE9", u"\xC3\xA9"},        {u"\x20AC", u"\xE2\x201A\xAC"}, {u"\x7FF", u"\xDF\xBF"},
        {u"\x800", u"\xE0\xA0\x20AC"}, {u"\x40D", u"\xD0\x8D"},
    };
    for (const auto& [text, encoded] : both) {
        EXPECT_EQ(UTF8_Encode(text), encoded);
        EXPECT_EQ(Encode_UTF8(text), encoded);
    }
    // UTF8_Encode reads the text as a terminated string of characters; an unpaired surrogate is U+FFFD.
    EXPECT_EQ(UTF8_Encode(std::u16string(u"A\0B", 3)), u"A");
    EXPECT_EQ(UTF8_Encode(u"\xD83D\xDE00\xDC00\x41"), u"\xF0\x178\x2DC\x20AC\xEF\xBF\xBD\x41");
}

// Sizes beyond a signed 32-bit byte count cannot be tested with real texts of 1 GiB; the limit they meet is.
TEST(Overflow, OnlyEncodeUTF8HasAUnitLimitAndBufferSizesStayWithinInt32) {
    EXPECT_EQ(Encode_UTF8(std::u16string(32766, u'\x8000')).size(), 3 * 32766u);
    EXPECT_NO_THROW(require_int32_byte_count(536870911, utf8_buffer_bytes_per_unit));
    for (const auto& overflows : std::initializer_list<std::function<void()>>{
             [] { Encode_UTF8(std::u16string(32767, u'a')); },
             [] { require_int32_byte_count(536870912, utf8_buffer_bytes_per_unit); },
             [] { require_int32_byte_count(std::size_t{1} << 62, utf8_buffer_bytes_per_unit); }}) {
        try {
            overflows();
            ADD_FAILURE() << "no overflow";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::overflow);
            EXPECT_EQ(error.description(), u"Overflow");
        }
    }
}

}  // namespace
}  // namespace qz::text

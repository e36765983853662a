// The five text methods, once for every binding: the C interface and the Python module pass their arguments
// through to these same functions.

#include <gtest/gtest.h>

#include <string>

#include "platform/error.hpp"
#include "text/overflow.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

void expect_overflow(const auto& call, const std::string& what) {
    try {
        call();
        ADD_FAILURE() << what << " did not overflow";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), error_number::overflow) << what;
        EXPECT_EQ(error.description(), u"Overflow") << what;
    }
}

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
        {"negative sample size read as huge", "abc", -1, false},
        {"two-byte sequence rejected", "\xC3\xA9", 2048, true},
        {"lone continuation byte accepted", "\xA9", 2048, false},
        {"lead byte followed by ASCII accepted", "\xC3\x41", 2048, false},
        {"0xFF 0xFE not passed over", "\xFF\xFE", 2048, true},
        {"0xFE read as a lead byte", "\xFE\x80", 2048, false},
        {"0xFF read as a lead byte", "\x41\xFF\x80", 2048, false},
        {"overlong lead rejected", "\xC0\x80", 2048, true},
        {"encoded surrogate rejected", "\xED\xA0\x80", 2048, true},
        {"lead above 0xF4 rejected", "\xF5\x80\x80\x80", 2048, true},
        {"position not moved past a whole sequence", "\xE2\x82\xAC\x41", 2048, true},
        {"six-byte form rejected", "\xFD\x80\x80\x80\x80\x80", 2048, true},
        {"0xFC lead counted as fewer than 5", "\xFC\x80\x80\x80\x80\x41", 2048, false},
        {"0xF8 lead counted as fewer than 4", "\xF8\x80\x80\x80\x41", 2048, false},
        {"0xF0 lead counted as fewer than 3", "\xF0\x80\x80\x41", 2048, false},
        {"0xE0 lead counted as fewer than 2", "\xE0\x80\x41", 2048, false},
        {"position moved beyond a sequence", "\xC3\xA9\xA9", 2048, false},
        {"UTF-16LE ASCII text rejected for its zero bytes", std::string("a\0b\0", 4), 2048, true},
        {"sequence cut by the sample rejected", "\xC3\xA9", 1, true},
        {"sequence cut by the sample read past it", "\x41\xE2\x82\x41", 3, true},
        {"sequence cut by the end of the text rejected", "\x41\xF0\x9F", 2048, true},
        {"sample larger than the text read past its end", "\xC3\x41", 1 << 30, false},
        {"bad byte after the default sample looked at", std::string(2048, 'a') + "\x80", 2048, true},
        {"bad byte inside a larger sample missed", std::string(2048, 'a') + "\x80", 2049, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUTF8(c.text, c.read_size), c.expected) << c.fault;
    EXPECT_TRUE(IsUTF8(std::string(2048, 'a') + "\x80")) << "the default sample is not 2048 bytes";
}

TEST(UTF8ByteStrings, ConvertEveryUnitAndByteByExactCount) {
    struct Case {
        const char* fault;
        std::u16string text;
        std::string utf8;
        bool both_ways;  // false: malformed input, read one way only
    };
    const Case cases[] = {
        {"empty input left the output as it was", u"", "", true},
        {"U+0000 taken as the end", std::u16string(u"A\0B", 3), std::string("A\0B", 3), true},
        {"U+0000 at the end dropped", std::u16string(u"A\0", 2), std::string("A\0", 2), true},
        {"surrogate pair not joined", u"\xD83D\xDE00", "\xF0\x9F\x98\x80", true},
        {"unit from U+8000 read as signed", u"\x8000\xFFFF", "\xE8\x80\x80\xEF\xBF\xBF", true},
        {"byte-order mark dropped", u"\xFEFF\x41", "\xEF\xBB\xBF\x41", true},
        {"overlong form decoded", u"\xFFFD\xFFFD", "\xC0\x80", false},
        {"encoded surrogate decoded", u"\xFFFD\xFFFD\xFFFD", "\xED\xA0\x80", false},
        {"code point above U+10FFFF decoded", u"\xFFFD\xFFFD\xFFFD\xFFFD", "\xF4\x90\x80\x80", false},
        {"cut sequence swallows the next byte", u"\xFFFD\xFFFD\x41", "\xE2\x82\x41", false},
        {"cut sequence at the end lost", u"\x41\xFFFD", "\x41\xC3", false},
        {"0xFF accepted", u"\xFFFD\x41", "\xFF\x41", false},
    };
    for (const Case& c : cases) {
        std::u16string text = u"stale";
        UTF8toUTF16(c.utf8, text);
        EXPECT_EQ(text, c.text) << c.fault;
        if (!c.both_ways) continue;
        std::string utf8 = "stale";
        UTF16toUTF8(c.text, utf8);
        EXPECT_EQ(utf8, c.utf8) << c.fault;
    }
    const std::pair<std::u16string, std::string> unpaired[] = {
        {u"\xD800\x41", "\xEF\xBF\xBD\x41"},
        {u"\x41\xDBFF", "\x41\xEF\xBF\xBD"},
        {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [text, utf8] : unpaired) {
        std::string out;
        UTF16toUTF8(text, out);
        EXPECT_EQ(out, utf8) << "an unpaired surrogate gives the bytes of U+FFFD";
    }
}

// Both encoders write one character per UTF-8 byte, each byte read as Windows-1252 (its five undefined
// bytes as the C1 controls of the same value).
TEST(UTF8Encoders, WriteOneCharacterPerUTF8Byte) {
    struct Case {
        const char* fault;
        std::u16string text;
        std::u16string encoded;
    };
    const Case both[] = {
        {"ASCII changed", u"abc", u"abc"},
        {"two-byte form wrong", u"\xE9", u"\xC3\xA9"},
        {"continuation 0x82 not read through Windows-1252", u"\x20AC", u"\xE2\x201A\xAC"},
        {"last two-byte unit wrong", u"\x7FF", u"\xDF\xBF"},
        {"first three-byte unit wrong", u"\x800", u"\xE0\xA0\x20AC"},
        {"unit from U+8000 read as signed", u"\x8000", u"\xE8\x20AC\x20AC"},
        {"top unit wrong", u"\xFFFF", u"\xEF\xBF\xBF"},
        {"undefined byte 0x81 not kept", u"\x401", u"\xD0\x81"},
        {"undefined byte 0x8D not kept", u"\x40D", u"\xD0\x8D"},
        {"undefined byte 0x9D not kept", u"\x41D", u"\xD0\x9D"},
        {"byte 0x8A wrong", u"\x40A", u"\xD0\x160"},
        {"byte 0x9F wrong", u"\x41F", u"\xD0\x178"},
    };
    for (const Case& c : both) {
        EXPECT_EQ(UTF8_Encode(c.text), c.encoded) << "UTF8_Encode: " << c.fault;
        EXPECT_EQ(Encode_UTF8(c.text), c.encoded) << "Encode_UTF8: " << c.fault;
    }
    const Case joining[] = {
        {"U+0000 does not end the text", std::u16string(u"A\xE9\0B", 4), u"A\xC3\xA9"},
        {"a leading U+0000 does not give empty text", std::u16string(u"\0B", 2), u""},
        {"a surrogate pair is not one four-byte sequence", u"\xD83D\xDE00", u"\xF0\x178\x2DC\x20AC"},
        {"an unpaired surrogate is not U+FFFD", u"\xD83D\x41", u"\xEF\xBF\xBD\x41"},
    };
    for (const Case& c : joining) EXPECT_EQ(UTF8_Encode(c.text), c.encoded) << c.fault;
    const Case unit_by_unit[] = {
        {"U+0000 is not copied", std::u16string(u"A\0B", 3), std::u16string(u"A\0B", 3)},
        {"a surrogate pair is joined", u"\xD83D\xDE00", u"\xED\xA0\xBD\xED\xB8\x20AC"},
    };
    for (const Case& c : unit_by_unit) EXPECT_EQ(Encode_UTF8(c.text), c.encoded) << c.fault;
}

// Sizes beyond a signed 32-bit byte count cannot be tested with real texts of 1 GiB; the limit they meet is.
TEST(Overflow, OnlyEncodeUTF8HasAUnitLimitAndBufferSizesStayWithinInt32) {
    EXPECT_EQ(UTF8_Encode(std::u16string(40000, u'a')).size(), 40000u);
    EXPECT_EQ(Encode_UTF8(std::u16string(32766, u'\x8000')).size(), 3 * 32766u);
    // 65536 and 65537 units would pass a length kept in 16 bits as 0 and 1.
    for (const std::size_t length : {32767u, 32768u, 65535u, 65536u, 65537u}) {
        expect_overflow([&] { Encode_UTF8(std::u16string(length, u'a')); },
                        std::to_string(length) + " units");
    }
    EXPECT_NO_THROW(require_int32_byte_count(536870911, utf8_buffer_bytes_per_unit));
    EXPECT_NO_THROW(require_int32_byte_count(1073741823, utf16_buffer_bytes_per_byte));
    expect_overflow([] { require_int32_byte_count(536870912, utf8_buffer_bytes_per_unit); }, "2^29 units");
    expect_overflow([] { require_int32_byte_count(1073741824, utf16_buffer_bytes_per_byte); }, "2^30 bytes");
    expect_overflow([] { require_int32_byte_count(std::size_t{1} << 62, utf8_buffer_bytes_per_unit); },
                    "2^62");
}

}  // namespace
}  // namespace qz::text

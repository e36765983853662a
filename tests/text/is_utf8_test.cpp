#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "text/byte_strings.hpp"
#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

using test::bytes;

struct Case {
    const char* fault;  // what a wrong scan would get wrong here
    std::string text;
    std::int32_t read_size;
    bool expected;
};

TEST(IsUTF8, LeadAndContinuationPatternDecidesAlone) {
    const Case cases[] = {
        {"empty text taken as UTF-8", "", 2048, false},
        {"sample size 0 not taken as no sample", "abc", 0, false},
        {"negative sample size read as huge", "abc", -1, false},
        {"two-byte sequence rejected", bytes({0xC3, 0xA9}), 2048, true},
        {"lone continuation byte accepted", bytes({0xA9}), 2048, false},
        {"lead byte followed by ASCII accepted", bytes({0xC3, 0x41}), 2048, false},
        {"0xFF 0xFE not passed over", bytes({0xFF, 0xFE}), 2048, true},
        {"0xFE read as a lead byte", bytes({0xFE, 0x80}), 2048, false},
        {"0xFF read as a lead byte", bytes({0x41, 0xFF, 0x80}), 2048, false},
        {"overlong lead rejected", bytes({0xC0, 0x80}), 2048, true},
        {"encoded surrogate rejected", bytes({0xED, 0xA0, 0x80}), 2048, true},
        {"lead above 0xF4 rejected", bytes({0xF5, 0x80, 0x80, 0x80}), 2048, true},
        {"six-byte form rejected", bytes({0xFD, 0x80, 0x80, 0x80, 0x80, 0x80}), 2048, true},
        {"0xFC lead counted as fewer than 5", bytes({0xFC, 0x80, 0x80, 0x80, 0x80, 0x41}), 2048, false},
        {"0xF8 lead counted as fewer than 4", bytes({0xF8, 0x80, 0x80, 0x80, 0x41}), 2048, false},
        {"0xF0 lead counted as fewer than 3", bytes({0xF0, 0x80, 0x80, 0x41}), 2048, false},
        {"0xE0 lead counted as fewer than 2", bytes({0xE0, 0x80, 0x41}), 2048, false},
        {"position not moved past a whole sequence", bytes({0xE2, 0x82, 0xAC, 0x41}), 2048, true},
        {"position moved beyond a sequence", bytes({0xC3, 0xA9, 0xA9}), 2048, false},
        {"UTF-16LE ASCII text rejected for its zero bytes", bytes({0x61, 0x00, 0x62, 0x00}), 2048, true},
        {"sequence cut by the sample rejected", bytes({0xC3, 0xA9}), 1, true},
        {"sequence cut by the sample read past it", bytes({0x41, 0xE2, 0x82, 0x41}), 3, true},
        {"sequence cut by the end of the text rejected", bytes({0x41, 0xF0, 0x9F}), 2048, true},
        {"sample larger than the text read past its end", bytes({0xC3, 0x41}), 1 << 30, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUTF8(c.text, c.read_size), c.expected) << c.fault;
    }
}

TEST(IsUTF8, DefaultSampleIsTheFirst2048Bytes) {
    std::string text(2048, 'a');
    text += bytes({0x80});
    EXPECT_TRUE(IsUTF8(text)) << "a bad byte after the default sample was looked at";
    EXPECT_FALSE(IsUTF8(text, 2049)) << "the bad byte inside a larger sample was missed";

    std::string cut(2047, 'a');
    cut += bytes({0xC3, 0x41});
    EXPECT_TRUE(IsUTF8(cut)) << "the continuation byte after the default sample was looked at";
    EXPECT_FALSE(IsUTF8(cut, 2049));
}

}  // namespace
}  // namespace qz::text

#include "odbc_access/exe/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.hpp"
#include "platform/files/native_path.hpp"

namespace qz::front_end {
namespace {

// A byte that is not UTF-8 is carried as U+DC80 + byte and turned back into the same byte, so a path holding
// it names the file the caller named.
TEST(CommandText, JoinsTheArgumentsWithOneBlankDecodesUtf8AndKeepsEveryOtherByte) {
    struct Case {
        std::vector<const char*> argv;
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {{"prog"}, u"", ""},
        {{"prog", "a_:_b"}, u"a_:_b", "a_:_b"},
        {{"prog", "a", "b  c", ""}, u"a b  c ", "a b  c "},
        {{"prog", "relat\xC3\xB3rio \xF0\x9F\x98\x80"},
         u"relatório 😀",
         "relat\xC3\xB3rio \xF0\x9F\x98\x80"},
        {{"prog", "bad\xFF" "byte"}, u"bad\xDCFF" "byte", "bad\xFF" "byte"},
        {{"prog", "cut \xC3"}, u"cut \xDCC3", "cut \xC3"},
        {{"prog", "overlong \xC0\xAF"}, u"overlong \xDCC0\xDCAF", "overlong \xC0\xAF"},
        {{"prog", "surrogate \xED\xB3\xBF"}, u"surrogate \xDCED\xDCB3\xDCBF", "surrogate \xED\xB3\xBF"},
        {{"prog", "past U+10FFFF \xF4\x90\x80\x80"}, u"past U+10FFFF \xDCF4\xDC90\xDC80\xDC80",
         "past U+10FFFF \xF4\x90\x80\x80"},
    };
    for (const Case& c : cases) {
        const std::u16string text = command_text(static_cast<int>(c.argv.size()), c.argv.data());
        EXPECT_EQ(text, c.text) << c.bytes;
        EXPECT_EQ(files::native_from_text(text), c.bytes);
    }
}

TEST(Elements, CutsAtEveryExactSeparatorAndKeepsEmptyElements) {
    const std::pair<std::u16string, std::vector<std::u16string>> cases[] = {
        {u"", {}}, {u"abc", {u"abc"}}, {u"_:_", {u"", u""}}, {u"a_:__:_b", {u"a", u"", u"b"}},
        {u"a_;_b_:_ \"c\" ", {u"a_;_b", u" \"c\" "}}, {u"a_:_:_b", {u"a", u":_b"}},
    };
    for (const auto& [text, expected] : cases) {
        const Elements elements(text);
        ASSERT_EQ(elements.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(elements.at(i), expected[i]);
        EXPECT_THROW(elements.at(expected.size()), Error);
    }
}

}  // namespace
}  // namespace qz::front_end

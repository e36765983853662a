#include "odbc_access/exe/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.hpp"

namespace qz::front_end {
namespace {

TEST(CommandText, JoinsTheArgumentsWithOneBlankAndDecodesUtf8) {
    struct Case {
        std::vector<const char*> argv;
        std::u16string text;
    };
    const Case cases[] = {
        {{"prog"}, u""},
        {{"prog", "a_:_b"}, u"a_:_b"},
        {{"prog", "a", "b  c", ""}, u"a b  c "},
        {{"prog", "relat\xC3\xB3rio"}, u"relatório"},
        {{"prog",
          "bad\xFF"
          "byte"},
         u"bad\uFFFDbyte"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(command_text(static_cast<int>(c.argv.size()), c.argv.data()), c.text);
    }
}

TEST(Elements, CutsAtEveryExactSeparatorAndKeepsEmptyElements) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> elements;
    };
    const Case cases[] = {
        {u"", {}},
        {u"abc", {u"abc"}},
        {u"_:_", {u"", u""}},
        {u"a_:__:_b", {u"a", u"", u"b"}},
        {u"a_;_b_:_ \"c\" ", {u"a_;_b", u" \"c\" "}},
        {u"a_:_:_b", {u"a", u":_b"}},
    };
    for (const Case& c : cases) {
        const Elements elements(c.text);
        ASSERT_EQ(elements.size(), c.elements.size());
        for (std::size_t i = 0; i < c.elements.size(); ++i) EXPECT_EQ(elements.at(i), c.elements[i]);
        EXPECT_THROW(elements.at(c.elements.size()), Error);
    }
}

}  // namespace
}  // namespace qz::front_end

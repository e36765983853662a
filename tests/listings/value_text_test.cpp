#include "catalog/listings/value_text.hpp"

#include <gtest/gtest.h>

#include <string>

#include "catalog/listings/field_type_name.hpp"
#include "platform/error.hpp"
#include "platform/locale/date_text.hpp"
#include "platform/text/code_page.hpp"

namespace qz::listings {
namespace {

struct DateCase {
    double days;
    std::u16string text;
};

// Under the C locale: month/day/four-digit year, 24-hour time, the time left out at midnight and the
// date left out on day 0.
TEST(DateText, WritesTheWindowsDefaultFormInTheCLocale) {
    const locale::DateText dates("C");
    const DateCase cases[] = {
        {46362.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0, u"12/06/2026 14:05:09"},
        {46362.0, u"12/06/2026"},
        {0.5, u"12:00:00"},
        {0.0, u"00:00:00"},
        {-1.25, u"12/29/1899 06:00:00"},
        {2.0 - 0.1 / 86400.0, u"01/01/1900"},      // rounds up across midnight into the next day
        {36526.0 + 0.4 / 86400.0, u"01/01/2000"},  // rounds down to midnight, so no time
    };
    for (const DateCase& c : cases) EXPECT_EQ(dates.format({c.days}), c.text) << c.days;
}

TEST(DateText, ADateTheEngineCannotHoldIsAnOverflowNotAWrongDate) {
    const locale::DateText dates("C");
    for (const double days : {-657435.0, 2958466.0, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        try {
            dates.format({days});
            ADD_FAILURE() << days;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::overflow);
        }
    }
}

TEST(DateText, AnUnknownLocaleFallsBackToC) {
    EXPECT_EQ(locale::DateText("xx_NOWHERE.UTF-8").format({46362.0}), u"12/06/2026");
}

TEST(VariantText, WritesValuesAsVbCStrWould) {
    const locale::DateText dates("C");
    struct Case {
        engine::Variant value;
        std::u16string text;
    };
    const Case cases[] = {
        {std::monostate{}, u""},
        {true, u"True"},
        {false, u"False"},
        {std::int64_t{-2147483646}, u"-2147483646"},
        {std::int64_t{255}, u"255"},
        {1.5, u"1.5"},
        {0.1 + 0.2, u"0.3"},
        {1.0 / 3.0, u"0.333333333333333"},
        {123456789012345.0, u"123456789012345"},
        {1e20, u"1E+20"},
        {0.00001, u"1E-05"},
        {-0.0, u"0"},
        {std::u16string(u"a;b=c"), u"a;b=c"},
        {engine::OleDate{36526.5}, u"01/01/2000 12:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(variant_text(c.value, dates), c.text);
}

// The names of known codes show in every field listing; a code the engine does not define must still
// come out as something a reader can act on, not as an empty or wrong name.
TEST(FieldTypeName, WritesUnknownCodesAsNumbers) {
    for (const int code : {0, 13, 14, 110, -1}) {
        EXPECT_EQ(field_type_name(static_cast<std::int16_t>(code)), text::utf8_to_utf16(std::to_string(code)));
    }
}

}  // namespace
}  // namespace qz::listings

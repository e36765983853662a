#include "catalog/listings/value_text.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "platform/error.hpp"
#include "platform/locale/date_text.hpp"
#include "support/temp_folder.hpp"

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace qz::listings {
namespace {

constexpr double at_14_05_09 = (14 * 3600 + 5 * 60 + 9) / 86400.0;

// Under the C locale (and any locale the system lacks): month/day/four-digit year, 24-hour time, the time
// left out at midnight and the date left out on day 0; beyond what the engine holds, an overflow.
TEST(DateText, WritesTheWindowsDefaultFormInTheCLocale) {
    const std::pair<double, std::u16string> cases[] = {
        {46362.0 + at_14_05_09, u"12/06/2026 14:05:09"},
        {46362.0, u"12/06/2026"},
        {0.5, u"12:00:00"},
        {0.0, u"00:00:00"},
        {-1.25, u"12/29/1899 06:00:00"},
        {2.0 - 0.1 / 86400.0, u"01/01/1900"},  // rounds up across midnight into the next day
    };
    for (const char* locale : {"C", "xx_NOWHERE.UTF-8"}) {
        const locale::DateText dates(locale);
        for (const auto& [days, text] : cases) EXPECT_EQ(dates.format({days}), text) << locale << " " << days;
        for (const double days : {-657435.0, 2958466.0, std::numeric_limits<double>::quiet_NaN()}) {
            try {
                dates.format({days});
                ADD_FAILURE() << days;
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), error_number::overflow);
            }
        }
    }
}

// Locales built for the test with localedef into a private folder: one whose character set is not UTF-8,
// with CJK text in its format, and two whose formats hold conversions written without strftime (%e, %r
// with %I and %p) and one left to it (%k). A moment with two-digit fields, and where given one with
// single-digit fields in the year 100.
TEST(DateText, EachLocalesFormatIsWrittenAsStrftimeWritesItInItsOwnCharacterSet) {
    const test::TempFolder folder;
    const test::EnvironmentScope locale_path("LOCPATH", folder.path().string());
    struct Case {
        const char* source;
        const char* charset;
        std::u16string afternoon;
        std::u16string morning_in_year_100;
    };
    const Case cases[] = {
        {"ja_JP", "EUC-JP", u"2026\u5E7412\u670806\u65E5 14\u664205\u520609\u79D2", u""},
        {"en_US", "UTF-8", u"12/06/2026 02:05:09 PM", u"01/05/100 09:03:00 AM"},
        {"bg_BG", "UTF-8", u" 6.12.2026 14:05:09", u" 5.01.100  9:03:00"},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.source) + "." + c.charset;
        const std::string command = std::string("localedef -i ") + c.source + " -f " + c.charset + " '" +
                                    (folder / name).string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "localedef cannot build " << name;
#ifdef __SANITIZE_ADDRESS__
        // glibc keeps a copy of LOCPATH from every newlocale that searches it: a leak of its own.
        const __lsan::ScopedDisabler glibc_keeps_the_search_path;
#endif
        const locale::DateText dates(name.c_str());
        EXPECT_EQ(dates.format({46362.0 + at_14_05_09}), c.afternoon) << name;
        if (!c.morning_in_year_100.empty()) {
            EXPECT_EQ(dates.format({-657430.0 - (9 * 3600 + 3 * 60) / 86400.0}), c.morning_in_year_100)
                << name;
        }
    }
}

// Floating values as VB's CStr writes them: 15 significant digits, a capital E, never a negative zero.
TEST(VariantText, WritesFloatingValuesAsVbCStrWould) {
    const locale::DateText dates("C");
    const std::pair<double, std::u16string> cases[] = {
        {0.1 + 0.2, u"0.3"}, {1.0 / 3.0, u"0.333333333333333"}, {1e20, u"1E+20"}, {-0.0, u"0"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(variant_text(value, dates), text);
}

}  // namespace
}  // namespace qz::listings

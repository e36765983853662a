#include "platform/locale/date_text.hpp"

#include <langinfo.h>

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>

#include "platform/errors.hpp"
#include "platform/text/code_page.hpp"

namespace qz::locale {
namespace {

// The range of dates the engine's date-time holds: 1 January 100 to 31 December 9999.
constexpr double first_day = -657434.0;
constexpr double day_after_last = 2958466.0;
constexpr long long seconds_per_day = 86400;

// Every two-digit year of a locale's date format becomes a four-digit one, as Windows shows short dates.
std::string with_four_digit_year(std::string format) {
    std::string widened;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char conversion = format[++i];
            if (conversion == 'y') {
                widened += "%Y";
            } else if (conversion == 'D') {
                widened += "%m/%d/%Y";
            } else {
                widened += '%';
                widened += conversion;
            }
        } else {
            widened += format[i];
        }
    }
    return widened;
}

std::string format_tm(const std::string& format, const std::tm& moment, locale_t time_locale) {
    std::array<char, 256> buffer{};
    const std::size_t length =
        ::strftime_l(buffer.data(), buffer.size(), format.c_str(), &moment, time_locale);
    return std::string(buffer.data(), length);
}

}  // namespace

DateText::DateText(const char* locale_name) : locale_(::newlocale(LC_TIME_MASK, locale_name, locale_t{})) {
    if (!locale_) locale_.reset(::newlocale(LC_TIME_MASK, "C", locale_t{}));
    if (!locale_) throw errors::invalid_procedure_call();
    date_format_ = with_four_digit_year(::nl_langinfo_l(D_FMT, locale_.get()));
    time_format_ = ::nl_langinfo_l(T_FMT, locale_.get());
    // The formats and what strftime makes of them are in the character set of the time locale itself,
    // which need not be UTF-8 nor the set of the locale's other categories (glibc names it per category).
    time_charset_ = ::nl_langinfo_l(_NL_TIME_CODESET, locale_.get());
}

std::u16string DateText::format(engine::OleDate value) const {
    if (!std::isfinite(value.days) || value.days < first_day || value.days >= day_after_last) {
        throw errors::overflow();
    }
    // The whole part counts days from 30 December 1899, the fraction is the time of that day, also for
    // days before it (-1.25 is 29 December 1899, 06:00).
    const double whole_days = std::trunc(value.days);
    auto day = static_cast<long long>(whole_days);
    auto seconds = std::llround(std::fabs(value.days - whole_days) * static_cast<double>(seconds_per_day));
    if (seconds == seconds_per_day) {
        seconds = 0;
        ++day;
    }
    using namespace std::chrono;
    const year_month_day date{sys_days{1899y / December / 30} + days{day}};
    const weekday day_of_week{sys_days{date}};

    std::tm moment{};
    moment.tm_year = static_cast<int>(date.year()) - 1900;
    moment.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
    moment.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
    moment.tm_wday = static_cast<int>(day_of_week.c_encoding());
    moment.tm_hour = static_cast<int>(seconds / 3600);
    moment.tm_min = static_cast<int>(seconds / 60 % 60);
    moment.tm_sec = static_cast<int>(seconds % 60);
    moment.tm_isdst = -1;

    std::string text;
    if (day != 0) text = format_tm(date_format_, moment, locale_.get());
    if (day == 0 || seconds != 0) {
        if (!text.empty()) text += ' ';
        text += format_tm(time_format_, moment, locale_.get());
    }
    return text::charset_to_utf16(text, time_charset_);
}

}  // namespace qz::locale

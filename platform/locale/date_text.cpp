#include "platform/locale/date_text.hpp"

#include <langinfo.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <string_view>
#include <utility>

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

// strftime's output, at most this many bytes, is at most as many UTF-16 units.
constexpr std::size_t strftime_bytes = 256;

std::string format_tm(const std::string& format, const std::tm& moment, locale_t time_locale) {
    std::array<char, strftime_bytes> buffer{};
    const std::size_t length =
        ::strftime_l(buffer.data(), buffer.size(), format.c_str(), &moment, time_locale);
    return std::string(buffer.data(), length);
}

char16_t* write_two_digits(char16_t* out, int value, char16_t first_zero) {
    *out++ = value < 10 ? first_zero : static_cast<char16_t>(u'0' + value / 10);
    *out++ = static_cast<char16_t>(u'0' + value % 10);
    return out;
}

// The year as strftime writes it: plain decimal, not padded (years run from 100 to 9999).
char16_t* write_year(char16_t* out, int year) {
    std::array<char16_t, 4> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + year % 10);
        year /= 10;
    } while (year > 0 && count < digits.size());
    while (count > 0) *out++ = digits[--count];
    return out;
}

}  // namespace

DateText::DateText(const char* locale_name) : locale_(::newlocale(LC_TIME_MASK, locale_name, locale_t{})) {
    if (!locale_) locale_.reset(::newlocale(LC_TIME_MASK, "C", locale_t{}));
    if (!locale_) throw errors::invalid_procedure_call();
    // The formats and what strftime makes of them are in the character set of the time locale itself,
    // which need not be UTF-8 nor the set of the locale's other categories (glibc names it per category).
    time_charset_ = ::nl_langinfo_l(_NL_TIME_CODESET, locale_.get());
    am_ = text::charset_to_utf16(::nl_langinfo_l(AM_STR, locale_.get()), time_charset_);
    pm_ = text::charset_to_utf16(::nl_langinfo_l(PM_STR, locale_.get()), time_charset_);
    date_pieces_ = compile(with_four_digit_year(::nl_langinfo_l(D_FMT, locale_.get())), false);
    time_pieces_ = compile(::nl_langinfo_l(T_FMT, locale_.get()), false);
    most_units_ = most_units(date_pieces_) + 1 + most_units(time_pieces_);
}

std::size_t DateText::most_units(const std::vector<Piece>& pieces) const {
    std::size_t most = 0;
    for (const Piece& piece : pieces) {
        switch (piece.kind) {
            case Piece::Kind::text:
                most += piece.text.size();
                break;
            case Piece::Kind::year:
                most += 4;
                break;
            case Piece::Kind::am_pm:
                most += std::max(am_.size(), pm_.size());
                break;
            case Piece::Kind::strftime:
                most += strftime_bytes;
                break;
            default:
                most += 2;
        }
    }
    return most;
}

std::vector<DateText::Piece> DateText::compile(std::string_view format, bool nested) const {
    // The conversions written here, digit by digit, instead of by strftime.
    static constexpr std::array<std::pair<char, Piece::Kind>, 9> own_conversions{{
        {'d', Piece::Kind::day},
        {'e', Piece::Kind::day_blank_padded},
        {'m', Piece::Kind::month},
        {'Y', Piece::Kind::year},
        {'H', Piece::Kind::hour},
        {'I', Piece::Kind::hour12},
        {'M', Piece::Kind::minute},
        {'S', Piece::Kind::second},
        {'p', Piece::Kind::am_pm},
    }};
    std::vector<Piece> pieces;
    std::string plain;
    const auto end_plain = [&] {
        if (!plain.empty())
            pieces.push_back({Piece::Kind::text, text::charset_to_utf16(plain, time_charset_), {}});
        plain.clear();
    };
    const auto add = [&](Piece::Kind kind) {
        end_plain();
        pieces.push_back({kind, {}, {}});
    };
    const auto add_all = [&](std::string_view subformat) {
        end_plain();
        for (Piece& piece : compile(subformat, true)) pieces.push_back(std::move(piece));
    };
    for (std::size_t at = 0; at < format.size(); ++at) {
        if (format[at] != '%') {
            plain += format[at];
            continue;
        }
        // A conversion: flags, a width, a modifier, then its letter.
        std::size_t last = at + 1;
        while (last < format.size() && std::string_view("_-0^#").find(format[last]) != std::string_view::npos)
            ++last;
        while (last < format.size() && format[last] >= '0' && format[last] <= '9') ++last;
        if (last < format.size() && (format[last] == 'E' || format[last] == 'O')) ++last;
        const std::string_view conversion = format.substr(at, last + 1 - at);
        at = last;
        if (conversion.size() != 2) {
            end_plain();
            pieces.push_back({Piece::Kind::strftime, {}, std::string(conversion)});
            continue;
        }
        const char letter = conversion[1];
        const auto own = std::find_if(own_conversions.begin(), own_conversions.end(),
                                      [letter](const auto& pair) { return pair.first == letter; });
        if (own != own_conversions.end()) {
            add(own->second);
            continue;
        }
        switch (letter) {
            case '%':
                plain += '%';
                break;
            case 'n':
                plain += '\n';
                break;
            case 't':
                plain += '\t';
                break;
            case 'T':
                add_all("%H:%M:%S");
                break;
            case 'R':
                add_all("%H:%M");
                break;
            default:
                // %r is the locale's 12-hour format, or glibc's own when the locale has none.
                if (letter == 'r' && !nested) {
                    const std::string_view twelve_hour = ::nl_langinfo_l(T_FMT_AMPM, locale_.get());
                    add_all(twelve_hour.empty() ? "%I:%M:%S %p" : twelve_hour);
                } else {
                    end_plain();
                    pieces.push_back({Piece::Kind::strftime, {}, std::string(conversion)});
                }
        }
    }
    end_plain();
    return pieces;
}

char16_t* DateText::write_pieces(char16_t* out, const std::vector<Piece>& pieces,
                                 const std::tm& moment) const {
    const int hour12 = moment.tm_hour % 12 == 0 ? 12 : moment.tm_hour % 12;
    for (const Piece& piece : pieces) {
        switch (piece.kind) {
            case Piece::Kind::text:
                // Mostly one unit ("/", ":"): a plain loop, not a call to copy them.
                for (const char16_t unit : piece.text) *out++ = unit;
                break;
            case Piece::Kind::day:
                out = write_two_digits(out, moment.tm_mday, u'0');
                break;
            case Piece::Kind::day_blank_padded:
                out = write_two_digits(out, moment.tm_mday, u' ');
                break;
            case Piece::Kind::month:
                out = write_two_digits(out, moment.tm_mon + 1, u'0');
                break;
            case Piece::Kind::year:
                out = write_year(out, moment.tm_year + 1900);
                break;
            case Piece::Kind::hour:
                out = write_two_digits(out, moment.tm_hour, u'0');
                break;
            case Piece::Kind::hour12:
                out = write_two_digits(out, hour12, u'0');
                break;
            case Piece::Kind::minute:
                out = write_two_digits(out, moment.tm_min, u'0');
                break;
            case Piece::Kind::second:
                out = write_two_digits(out, moment.tm_sec, u'0');
                break;
            case Piece::Kind::am_pm: {
                const std::u16string& marker = moment.tm_hour > 11 ? pm_ : am_;
                out = std::copy(marker.begin(), marker.end(), out);
                break;
            }
            case Piece::Kind::strftime: {
                const std::u16string converted =
                    text::charset_to_utf16(format_tm(piece.conversion, moment, locale_.get()), time_charset_);
                out = std::copy_n(converted.begin(), std::min(converted.size(), strftime_bytes), out);
                break;
            }
        }
    }
    return out;
}

std::u16string DateText::format(engine::OleDate value) const {
    std::u16string text;
    append(text, value);
    return text;
}

void DateText::append(std::u16string& text, engine::OleDate value) const {
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

    // Written in place: the text grows by the most the formats can write, then is cut to what they wrote.
    const std::size_t start = text.size();
    text.resize(start + most_units_);
    char16_t* const first = text.data() + start;
    char16_t* end = first;
    if (day != 0) end = write_pieces(end, date_pieces_, moment);
    if (day == 0 || seconds != 0) {
        if (end != first) *end++ = u' ';
        end = write_pieces(end, time_pieces_, moment);
    }
    text.resize(static_cast<std::size_t>(end - text.data()));
}

}  // namespace qz::locale

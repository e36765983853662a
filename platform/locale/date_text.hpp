#pragma once
// Date-times written as the Windows default date-to-text conversion writes them, in the user's LC_TIME
// locale: the locale's date format with a four-digit year, a blank, the locale's time format. The time is
// rounded to the second and left out at midnight; the date is left out when it is 30 December 1899 (day 0).
// The locale's text is decoded from its own character set, whatever that is.

#include <locale.h>

#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "catalog/session/engine.hpp"

namespace qz::locale {

class DateText {
  public:
    // `locale_name` as setlocale takes it; the empty name is the user's locale from the environment.
    // A locale the system does not have falls back to C.
    explicit DateText(const char* locale_name = "");

    // Raises error 6 (overflow) for a value outside the dates the engine can hold.
    std::u16string format(engine::OleDate value) const;
    // The same text, appended to `text`.
    void append(std::u16string& text, engine::OleDate value) const;

  private:
    // A locale format taken apart once, so that a listing of thousands of dates writes digits instead of
    // running strftime and a character-set conversion for each: fixed text, the numbers of a moment, and
    // whatever else (rare conversions, any with flags or modifiers) left to strftime.
    struct Piece {
        enum class Kind {
            text,
            day,
            day_blank_padded,
            month,
            year,
            hour,
            hour12,
            minute,
            second,
            am_pm,
            strftime
        };
        Kind kind = Kind::text;
        std::u16string text;     // Kind::text: the text itself
        std::string conversion;  // Kind::strftime: the conversion, "%" included
    };
    std::vector<Piece> compile(std::string_view format, bool nested) const;
    // The most units `pieces` can write.
    std::size_t most_units(const std::vector<Piece>& pieces) const;
    // Writes `pieces` from `out` on; returns the end of what they wrote.
    char16_t* write_pieces(char16_t* out, const std::vector<Piece>& pieces, const std::tm& moment) const;

    struct FreeLocale {
        void operator()(locale_t locale) const { ::freelocale(locale); }
    };
    std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale> locale_;
    std::string time_charset_;  // the iconv name of the set the formats are written in
    std::u16string am_, pm_;
    std::vector<Piece> date_pieces_;
    std::vector<Piece> time_pieces_;
    std::size_t most_units_ = 0;  // a date, a blank and a time
};

}  // namespace qz::locale

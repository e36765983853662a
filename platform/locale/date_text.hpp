#pragma once
// Date-times written as the Windows default date-to-text conversion writes them, in the user's LC_TIME
// locale: the locale's date format with a four-digit year, a blank, the locale's time format. The time is
// rounded to the second and left out at midnight; the date is left out when it is 30 December 1899 (day 0).
// The locale's text is decoded from its own character set, whatever that is.

#include <locale.h>

#include <memory>
#include <string>
#include <type_traits>

#include "catalog/session/engine.hpp"

namespace qz::locale {

class DateText {
  public:
    // `locale_name` as setlocale takes it; the empty name is the user's locale from the environment.
    // A locale the system does not have falls back to C.
    explicit DateText(const char* locale_name = "");

    // Raises error 6 (overflow) for a value outside the dates the engine can hold.
    std::u16string format(engine::OleDate value) const;

  private:
    struct FreeLocale {
        void operator()(locale_t locale) const { ::freelocale(locale); }
    };
    std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale> locale_;
    std::string date_format_;
    std::string time_format_;
    std::string time_charset_;  // the iconv name of the set the formats are written in
};

}  // namespace qz::locale

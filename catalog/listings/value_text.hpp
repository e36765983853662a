#pragma once
// How the listings write the engine's values: integers in plain decimal (a 32-bit value with the top bit
// set is negative), Booleans as True and False, variants as a VB CStr would, dates in the user's locale.

#include <cstdint>
#include <string>

#include "catalog/session/engine.hpp"
#include "platform/locale/date_text.hpp"

namespace qz::listings {

std::u16string integer_text(std::int64_t value);
// The same text, appended to `text`.
void append_integer(std::u16string& text, std::int64_t value);
std::u16string boolean_text(bool value);
// Null is empty; floating values keep up to 15 significant digits, without trailing zeros.
std::u16string variant_text(const engine::Variant& value, const locale::DateText& dates);

}  // namespace qz::listings

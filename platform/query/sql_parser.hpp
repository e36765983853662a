#pragma once
// Parses the expressions of MSysQueries rows and the SELECT statements that union parts and nested sources
// hold. A text that does not parse raises 3075 naming the query, never a guess.

#include <string>
#include <string_view>

#include "platform/query/expression.hpp"

namespace qz::query {

Expression parse_expression(std::u16string_view text, const std::u16string& query);

// A SELECT statement; for a UNION, its first SELECT, marked `in_union` (the later parts are checked for
// syntax only, since the union's fields are those of its first SELECT).
SelectStatement parse_select(std::u16string_view text, const std::u16string& query);

}  // namespace qz::query

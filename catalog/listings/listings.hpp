#pragma once
// The listings: each describes one part of an open database's catalog as one text, written with the
// separators it is given. The session's published members forward to these.

#include <string>
#include <string_view>

#include "catalog/listings/separators.hpp"
#include "catalog/session/engine.hpp"

namespace qz::listings {

// "tab": tables with no attribute bits; "sys": the others; empty: all.
std::u16string tables(const engine::Database& database, const Separators& separators,
                      std::u16string_view selector);
std::u16string table_fields(const engine::Database& database, const Separators& separators,
                            std::u16string_view table_name);
std::u16string indexes(const engine::Database& database, const Separators& separators,
                       std::u16string_view table_name);
std::u16string relations(const engine::Database& database, const Separators& separators);
std::u16string queries(const engine::Database& database, const Separators& separators);
std::u16string query_fields(const engine::Database& database, const Separators& separators,
                            std::u16string_view query_name);

}  // namespace qz::listings

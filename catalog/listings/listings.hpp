#pragma once
// The listings: each describes one part of an open database's catalog as one text, written with the
// separators it is given into `output`. The session's published members forward to these.

#include <string_view>

#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/separators.hpp"
#include "catalog/session/engine.hpp"

namespace qz::listings {

// "tab": tables with no attribute bits; "sys": the others; empty: all.
void tables(const engine::Database& database, const Separators& separators, std::u16string_view selector,
            ListingOutput& output);
void table_fields(const engine::Database& database, const Separators& separators,
                  std::u16string_view table_name, ListingOutput& output);
void indexes(const engine::Database& database, const Separators& separators, std::u16string_view table_name,
             ListingOutput& output);
void relations(const engine::Database& database, const Separators& separators, ListingOutput& output);
void queries(const engine::Database& database, const Separators& separators, ListingOutput& output);
void query_fields(const engine::Database& database, const Separators& separators,
                  std::u16string_view query_name, ListingOutput& output);

}  // namespace qz::listings

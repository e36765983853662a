#pragma once
// The listing a request's command word names, run on a session's open database and written to an output as
// it is made: the program streams its result file this way, the session's members keep the text whole.

#include <string_view>

#include "catalog/listings/listing_output.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {

// Whether the listing `word` names takes an argument (a table or query name, the tables' selector).
bool takes_argument(std::u16string_view word);

// Runs the listing `word` names (get_tables, get_fields, get_indexes, get_relations, get_querys,
// get_fields_query) with `argument` when it takes one; an unknown word runs none and writes nothing. Raises
// 91 when the session has no database.
void run_listing(const qz_cls_odbc_access& session, std::u16string_view word, std::u16string_view argument,
                 listings::ListingOutput& output);

}  // namespace qz

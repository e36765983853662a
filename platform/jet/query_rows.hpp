#pragma once
// The rows of MSysQueries (reference section 11): the stored parts of every saved query, read by one scan.

#include <cstdint>
#include <vector>

#include "platform/jet/page_file.hpp"
#include "platform/jet/table_definition.hpp"
#include "platform/query/query_fields.hpp"

namespace qz::jet {

// Every live row of MSysQueries, in physical order; null columns as 0 or the empty text.
std::vector<query::QueryRow> read_query_rows(const PageFile& file, const TableDefinition& queries_table);

// The rows of the query whose MSysObjects Id is `object_id`.
std::vector<query::QueryRow> rows_of_query(const std::vector<query::QueryRow>& rows, std::int32_t object_id);

}  // namespace qz::jet

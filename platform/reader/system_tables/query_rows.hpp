#pragma once
// The rows of MSysQueries (reference section 11): the stored parts of every saved query, read by one scan.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/query/query_fields.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"

namespace qz::jet {

// Every live row of MSysQueries by the MSysObjects Id of its query, each query's in physical order; null
// columns as 0 or the empty text.
std::unordered_map<std::int32_t, std::vector<query::QueryRow>> read_query_rows(
    const PageFile& file, const TableDefinition& queries_table);

}  // namespace qz::jet

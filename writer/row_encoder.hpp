#pragma once
// One table row in the file's layout (reference 4.2 for Jet 4+, 4.3 for Jet 3, values as in section 7).

#include <vector>

#include "writer/page_store.hpp"
#include "writer/table_definition.hpp"

namespace qz::writer {

// `values` holds one value per column, in column-number order. Long values go through `long_values`.
// Throws std::invalid_argument when a value does not suit its column.
Bytes encode_row(const FileLayout& layout, const TableLayout& table, const std::vector<Value>& values,
                 LongValueWriter& long_values);

}  // namespace qz::writer

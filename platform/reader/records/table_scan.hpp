#pragma once
// Scanning the rows of a table (reference 4.1): the pages of its usage map that are its data pages, every
// live row of each, overflow rows followed.

#include <functional>

#include "platform/reader/records/record.hpp"

namespace qz::jet {

// Calls `visit` with each live row and the slot that names it (the stub's slot for an overflow row).
void scan_table(const PageFile& file, const TableDefinition& table,
                const std::function<void(RowAddress slot, const Record& record)>& visit);

}  // namespace qz::jet

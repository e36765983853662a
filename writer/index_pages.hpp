#pragma once
// The pages of one index B-tree (reference section 14): leaves holding the entries in key order, linked
// both ways, and intermediate pages above them whose entries repeat the last entry of each child.

#include <vector>

#include "writer/page_store.hpp"

namespace qz::writer {

struct IndexEntry {
    Bytes key;
    RowAddress row;
};

// Writes the tree for `entries` (sorted here by key, then row) and returns its pages; the first is the
// root. `owner` is the first TDEF page of the table the index belongs to.
std::vector<std::uint32_t> write_index(PageStore& store, std::uint32_t owner, std::vector<IndexEntry> entries);

}  // namespace qz::writer

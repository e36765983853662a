#pragma once
// Walks the leaf pages of one index B-tree from left to right and returns the row pointers of its entries
// in index order. The sort keys are never decoded: the order of the leaves is the order of the keys. This
// is how the catalog learns the order of MSysObjects' ParentIdName index, the order of the collections.

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "platform/reader/pages/row_address.hpp"

namespace qz::jet {

// The plain (decoded) bytes of a page, valid until the next call. It raises qz::Error for a page it cannot
// give, such as a page number past the end of the file.
using PageSource = std::function<std::span<const std::uint8_t>(std::uint32_t page_number)>;

// The row pointers of the leaf entries of the index whose root is `root_page`, in index order. Every page
// of the tree must belong to the table that owns the root. `page_count` (the file's page count) bounds the
// page numbers and so the walk; the page source's own bound applies as well. Loops, repeated pages,
// malformed entries and repeated row pointers raise error 3049 naming `path`.
std::vector<RowAddress> walk_index_leaves(
    const PageSource& pages, std::uint32_t root_page, bool jet3, const std::u16string& path,
    std::uint32_t page_count = std::numeric_limits<std::uint32_t>::max());

}  // namespace qz::jet

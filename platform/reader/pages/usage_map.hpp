#pragma once
// Usage maps (reference 2.4): the set of pages a table owns, stored as an inline bitmap or as references to
// bitmap pages.

#include <cstdint>
#include <vector>

#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"

namespace qz::jet {

// The pages of the map stored in row `map`, ascending, each once. 3049 when the map names a page past the
// end of the file or one of its map pages twice.
std::vector<std::uint32_t> usage_map_pages(const PageFile& file, RowAddress map);

}  // namespace qz::jet

#include "platform/reader/pages/usage_map.hpp"

#include <unordered_set>

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {
namespace {

constexpr std::uint8_t inline_map = 0x00;
constexpr std::uint8_t reference_map = 0x01;
constexpr std::size_t map_page_bitmap_offset = 4;

// Adds the pages whose bits are set, the first bit standing for page `first`. A set bit past the end of the
// file means the file was cut short or the map is damaged: what the map names is not all there.
void add_bits(const PageFile& file, std::span<const std::uint8_t> bitmap, std::uint64_t first,
              std::vector<std::uint32_t>& pages) {
    for (std::size_t byte = 0; byte < bitmap.size(); ++byte) {
        if (bitmap[byte] == 0) continue;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((bitmap[byte] & (1u << bit)) == 0) continue;
            const std::uint64_t page = first + 8 * byte + bit;
            if (page >= file.page_count())
                throw errors::database_damaged(file.path(),
                                               "a usage map names a page past the end of the file");
            pages.push_back(static_cast<std::uint32_t>(page));
        }
    }
}

}  // namespace

std::vector<std::uint32_t> usage_map_pages(const PageFile& file, RowAddress map) {
    const RowBytes row = read_raw_row(file, map);
    // row = u8 kind, then for an inline map u32 first page and the bitmap, for a reference map u32 map pages
    ByteView view(row.bytes, file.path());
    std::vector<std::uint32_t> pages;
    const std::uint8_t kind = view.next_u8();
    if (kind == inline_map) {
        const std::uint32_t first = view.next_u32();
        add_bits(file, view.next(view.remaining()).bytes(), first, pages);
        return pages;
    }
    view.require(kind == reference_map, "a usage map has an unknown kind");
    const std::uint64_t pages_per_map_page = (file.format().page_size - map_page_bitmap_offset) * 8;
    // Each map page covers a range of its own, so a sound map names each one once; reading one twice would
    // make the pages of one bitmap count for many ranges.
    std::unordered_set<std::uint32_t> map_pages;
    for (std::size_t j = 0; view.remaining() >= 4; ++j) {
        const std::uint32_t map_page = view.next_u32();
        if (map_page == 0) continue;
        if (!map_pages.insert(map_page).second)
            throw errors::database_damaged(file.path(), "a usage map names one of its map pages twice");
        const PageBytes bitmap_page = file.page(map_page);
        ByteView(*bitmap_page, file.path())
            .require((*bitmap_page)[0] == usage_map_page_type, "a usage map names a page that is not a map");
        add_bits(file, std::span<const std::uint8_t>(*bitmap_page).subspan(map_page_bitmap_offset),
                 j * pages_per_map_page, pages);
    }
    return pages;
}

}  // namespace qz::jet

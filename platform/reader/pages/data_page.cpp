#include "platform/reader/pages/data_page.hpp"

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {
namespace {

// Row-offset table (reference 2.2): count and first entry.
constexpr std::size_t row_count_offset_jet3 = 0x08;
constexpr std::size_t row_count_offset_jet4 = 0x0C;
// Row-offset entry bits (reference 2.3).
constexpr std::uint16_t deleted_row = 0x8000;
constexpr std::uint16_t overflow_row = 0x4000;
constexpr std::uint16_t row_offset_mask = 0x1FFF;
// An overflow stub may in principle point at another stub; more hops than this mean a loop.
constexpr int overflow_hops = 8;

struct Slot {
    std::uint16_t entry;
    std::span<const std::uint8_t> bytes;
};

std::size_t row_table_offset(const PageFile& file) {
    return (file.format().jet3 ? row_count_offset_jet3 : row_count_offset_jet4) + 2;
}

Slot slot_of(const PageFile& file, const std::vector<std::uint8_t>& page, std::uint8_t row) {
    const ByteView view(page, file.path());
    const std::uint16_t count = data_page_row_count(file, page);
    view.require(row < count, "a row pointer names a row its page does not hold");
    const std::size_t table = row_table_offset(file);
    const std::uint16_t entry = view.u16(table + 2u * row);
    const std::size_t start = entry & row_offset_mask;
    const std::size_t end = row == 0 ? page.size() : (view.u16(table + 2u * (row - 1u)) & row_offset_mask);
    view.require(start >= table + 2u * count && start <= end && end <= page.size(),
                 "a row lies out of place");
    return {entry, std::span<const std::uint8_t>(page).subspan(start, end - start)};
}

PageBytes data_page(const PageFile& file, std::uint32_t number) {
    PageBytes page = file.page(number);
    ByteView(*page, file.path())
        .require((*page)[0] == data_page_type, "a row pointer names a page without rows");
    return page;
}

}  // namespace

std::uint16_t data_page_row_count(const PageFile& file, const std::vector<std::uint8_t>& page) {
    const ByteView view(page, file.path());
    const std::uint16_t count = view.u16(file.format().jet3 ? row_count_offset_jet3 : row_count_offset_jet4);
    // A row pointer names a row with one byte, so no page holds more than 256 rows.
    view.require(count <= 256 && row_table_offset(file) + 2u * count <= page.size(),
                 "a data page claims more rows than it holds");
    return count;
}

std::optional<RowBytes> read_row(const PageFile& file, RowAddress address) {
    for (int hop = 0; hop <= overflow_hops; ++hop) {
        PageBytes page = data_page(file, address.page);
        const Slot slot = slot_of(file, *page, address.row);
        // The target of an overflow stub is itself flagged deleted; it is reached only through the stub.
        if ((slot.entry & deleted_row) != 0 && hop == 0) return std::nullopt;
        if ((slot.entry & overflow_row) == 0) return RowBytes{page, slot.bytes};
        address = RowAddress::from_stored(ByteView(slot.bytes, file.path()).u32(0));
    }
    throw errors::database_damaged(file.path(), "overflow rows point at each other in a loop");
}

RowBytes read_raw_row(const PageFile& file, RowAddress address) {
    PageBytes page = data_page(file, address.page);
    const Slot slot = slot_of(file, *page, address.row);
    return RowBytes{page, slot.bytes};
}

}  // namespace qz::jet

#include "platform/reader/records/long_value.hpp"

#include <algorithm>
#include <unordered_set>

#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/pages/data_page.hpp"

namespace qz::jet {
namespace {

constexpr std::size_t header_size = 12;
constexpr std::uint32_t length_mask = 0x3FFFFFFF;
constexpr std::uint8_t inline_kind = 0x80;
constexpr std::uint8_t single_row_kind = 0x40;
constexpr std::uint8_t chain_kind = 0x00;
// Catalog values (property blobs, link paths) are small; a larger declared length is damage, and the cap
// keeps memory bounded whatever the file says.
constexpr std::uint32_t max_catalog_value = 8u << 20;

}  // namespace

std::uint64_t long_value_capacity(const PageFile& file) {
    return std::uint64_t{file.page_count()} * file.format().page_size;
}

std::uint32_t declared_long_value_length(std::span<const std::uint8_t> column_value) {
    if (column_value.size() < header_size) return 0;
    std::uint32_t stored = 0;
    for (std::size_t i = 4; i-- > 0;) stored = stored << 8 | column_value[i];
    return stored & length_mask;
}

std::vector<std::uint8_t> read_long_value(const PageFile& file, std::span<const std::uint8_t> column_value,
                                          std::uint64_t& budget) {
    const ByteView header(column_value, file.path());
    header.require(column_value.size() >= header_size, "a long value is shorter than its header");
    const std::uint32_t length = declared_long_value_length(column_value);
    const auto kind = static_cast<std::uint8_t>(header.u8(3) & 0xC0);
    header.require(length <= max_catalog_value && length <= budget,
                   "a long value claims more bytes than the file holds");
    budget -= length;
    if (kind == inline_kind) {
        const ByteView data = header.sub(header_size, length);
        return {data.bytes().begin(), data.bytes().end()};
    }
    RowAddress next = RowAddress::from_stored(header.u32(4));
    if (kind == single_row_kind) {
        const RowBytes row = read_raw_row(file, next);
        const ByteView data = ByteView(row.bytes, file.path()).sub(0, length);
        return {data.bytes().begin(), data.bytes().end()};
    }
    header.require(kind == chain_kind, "a long value has an unknown kind");
    std::vector<std::uint8_t> value;
    value.reserve(length);
    std::unordered_set<std::uint32_t> seen;
    while (value.size() < length) {
        header.require(next.page != 0 || next.row != 0, "a long-value chain ends before its declared length");
        header.require(seen.insert(next.page << 8 | next.row).second, "a long-value chain loops");
        const RowBytes row = read_raw_row(file, next);
        // chunk = address of the next chunk, then data
        ByteView chunk(row.bytes, file.path());
        chunk.require(chunk.size() >= 4, "a long-value chunk is too short");
        next = RowAddress::from_stored(chunk.next_u32());
        const ByteView data = chunk.next(std::min<std::size_t>(chunk.remaining(), length - value.size()));
        value.insert(value.end(), data.bytes().begin(), data.bytes().end());
    }
    return value;
}

}  // namespace qz::jet

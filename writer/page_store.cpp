#include "writer/page_store.hpp"

#include <stdexcept>

namespace qz::writer {
namespace {

constexpr std::uint8_t data_page_type = 0x01;
constexpr std::size_t max_rows_per_page = 255;
constexpr std::size_t free_space_offset = 2;
constexpr std::size_t owner_offset = 4;
// Long values (5): a 12-byte header; byte 3 of the length word says where the value lives.
constexpr std::uint32_t inline_value = 0x80000000, single_row_value = 0x40000000;
constexpr std::size_t max_inline_value = 64;  // longer values go to LVAL pages, keeping rows small
constexpr std::size_t chain_link = 4;

}  // namespace

std::uint32_t PageStore::allocate() {
    pages_.emplace_back(layout_->page_size, 0);
    return count() - 1;
}

Bytes PageStore::file_bytes() const {
    Bytes out;
    out.reserve(pages_.size() * layout_->page_size);
    for (const auto& p : pages_) put_bytes(out, p);
    return out;
}

RowPacker::RowPacker(PageStore& store, std::uint32_t owner, bool long_values, std::uint32_t first_page)
    : store_(&store), owner_(owner), long_values_(long_values) {
    if (first_page != 0) open_page(first_page);
}

std::size_t RowPacker::max_row() const {
    return store_->layout().page_size - store_->layout().row_table_offset - 2;
}

void RowPacker::open_page(std::uint32_t number) {
    const FileLayout& layout = store_->layout();
    std::span<std::uint8_t> page = store_->page(number);
    page[0] = data_page_type;
    page[1] = 0x01;
    if (long_values_) {
        page[4] = 'L';
        page[5] = 'V';
        page[6] = 'A';
        page[7] = 'L';
    } else {
        set_u32(page, owner_offset, owner_);
    }
    set_u16(page, free_space_offset, static_cast<std::uint32_t>(layout.page_size - layout.row_table_offset));
    pages_.push_back(number);
    rows_on_page_ = 0;
    row_start_ = layout.page_size;
}

RowAddress RowPacker::add(std::span<const std::uint8_t> row) {
    const FileLayout& layout = store_->layout();
    if (row.size() > max_row()) throw std::invalid_argument("a row is larger than a page");
    const auto fits = [&] {
        return !pages_.empty() && rows_on_page_ < max_rows_per_page &&
               layout.row_table_offset + 2 * (rows_on_page_ + 1) + row.size() <= row_start_;
    };
    if (!fits()) open_page(store_->allocate());
    std::span<std::uint8_t> page = store_->page(pages_.back());
    row_start_ -= row.size();
    std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(row_start_));
    set_u16(page, layout.row_table_offset + 2 * rows_on_page_, static_cast<std::uint32_t>(row_start_));
    ++rows_on_page_;
    set_u16(page, layout.row_count_offset, static_cast<std::uint32_t>(rows_on_page_));
    set_u16(page, free_space_offset,
            static_cast<std::uint32_t>(row_start_ - layout.row_table_offset - 2 * rows_on_page_));
    return {pages_.back(), static_cast<std::uint8_t>(rows_on_page_ - 1)};
}

Bytes LongValueWriter::store(std::span<const std::uint8_t> data) {
    Bytes header;
    const auto length = static_cast<std::uint32_t>(data.size());
    if (data.size() <= max_inline_value) {
        put_u32(header, length | inline_value);
        put_u32(header, 0);
        put_u32(header, 0);
        put_bytes(header, data);
        return header;
    }
    if (data.size() <= rows_.max_row()) {
        put_u32(header, length | single_row_value);
        put_u32(header, rows_.add(data).packed());
        put_u32(header, 0);
        return header;
    }
    // A chain: each chunk row is the pointer to the next chunk and a piece of the value. Written last
    // piece first, so that every chunk knows its successor.
    const std::size_t piece = rows_.max_row() - chain_link;
    std::vector<std::span<const std::uint8_t>> pieces;
    for (std::size_t at = 0; at < data.size(); at += piece) pieces.push_back(data.subspan(at, std::min(piece, data.size() - at)));
    RowAddress next{};
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        Bytes chunk;
        put_u32(chunk, next.packed());
        put_bytes(chunk, *it);
        next = rows_.add(chunk);
    }
    put_u32(header, length);
    put_u32(header, next.packed());
    put_u32(header, 0);
    return header;
}

}  // namespace qz::writer

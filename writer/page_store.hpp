#pragma once
// The file's pages while they are being written, and the packing of rows into data pages (reference 2.2,
// 2.3) and of long values into LVAL pages (section 5).

#include <span>
#include <vector>

#include "writer/byte_buffer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

class PageStore {
public:
    explicit PageStore(const FileLayout& layout) : layout_(&layout) {}
    // A new zero page at the end of the file.
    std::uint32_t allocate();
    std::span<std::uint8_t> page(std::uint32_t number) { return pages_.at(number); }
    std::uint32_t count() const { return static_cast<std::uint32_t>(pages_.size()); }
    const FileLayout& layout() const { return *layout_; }
    Bytes file_bytes() const;

private:
    const FileLayout* layout_;
    std::vector<Bytes> pages_;
};

// Puts rows of one owner into data pages, opening a page when the current one is full.
class RowPacker {
public:
    // `owner`: the first TDEF page of the table, or 0 for rows no table scan should see (usage maps).
    // `long_values`: pages marked LVAL instead of an owner. `first_page`: an allocated empty page to start on.
    RowPacker(PageStore& store, std::uint32_t owner, bool long_values = false, std::uint32_t first_page = 0);
    RowAddress add(std::span<const std::uint8_t> row);
    const std::vector<std::uint32_t>& pages() const { return pages_; }
    // The largest row a page holds.
    std::size_t max_row() const;

private:
    void open_page(std::uint32_t number);

    PageStore* store_;
    std::uint32_t owner_;
    bool long_values_;
    std::vector<std::uint32_t> pages_;
    std::size_t rows_on_page_ = 0;
    std::size_t row_start_ = 0;  // where the last row placed on the current page begins
};

// Stores long values (Memo, OLE, property blobs) and returns the column value that refers to them: inline
// when short, else one LVAL row, else a chain of LVAL rows.
class LongValueWriter {
public:
    explicit LongValueWriter(PageStore& store) : rows_(store, 0, true) {}
    Bytes store(std::span<const std::uint8_t> data);
    const std::vector<std::uint32_t>& pages() const { return rows_.pages(); }

private:
    RowPacker rows_;
};

}  // namespace qz::writer

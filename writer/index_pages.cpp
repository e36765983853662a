#include "writer/index_pages.hpp"

#include <algorithm>
#include <stdexcept>

namespace qz::writer {
namespace {

constexpr std::uint8_t intermediate_page = 0x03, leaf_page = 0x04;
constexpr std::size_t free_space_offset = 2, owner_offset = 4;

void put_be_pointer(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) put_u8(out, value >> shift);
}

// An entry as stored: the key, the row pointer big-endian, and for intermediate entries the child page.
Bytes leaf_bytes(const IndexEntry& e) {
    Bytes out = e.key;
    put_be_pointer(out, e.row.packed());
    return out;
}

struct Child {
    std::uint32_t page;
    Bytes last_leaf_entry;  // the largest entry below this child, as a leaf stores it
};

class LevelWriter {
public:
    LevelWriter(PageStore& store, std::uint32_t owner, std::uint8_t type)
        : store_(&store), layout_(&store.layout()), owner_(owner), type_(type) {}

    // Adds one stored entry; opens a page when the current one is full.
    void add(const Bytes& entry, const Bytes& last_leaf_entry) {
        const std::size_t area = layout_->page_size - layout_->index_area;
        if (entry.size() > area) throw std::invalid_argument("an index key is too long");
        if (pages_.empty() || used_ + entry.size() > area) open();
        std::span<std::uint8_t> page = store_->page(pages_.back().page);
        std::copy(entry.begin(), entry.end(), page.begin() + static_cast<std::ptrdiff_t>(layout_->index_area + used_));
        used_ += entry.size();
        const std::size_t bit = used_;
        page[layout_->index_bitmap + bit / 8] = static_cast<std::uint8_t>(page[layout_->index_bitmap + bit / 8] | (1u << (bit % 8)));
        set_u16(page, free_space_offset, static_cast<std::uint32_t>(area - used_));
        pages_.back().last_leaf_entry = last_leaf_entry;
    }

    // Opens a new page on this level and links it after the previous one.
    void open() {
        const std::uint32_t number = store_->allocate();
        std::span<std::uint8_t> page = store_->page(number);
        page[0] = type_;
        page[1] = 0x01;
        // Access marks its intermediate pages so (14.3); the meaning is unknown.
        if (type_ == intermediate_page) page[layout_->index_bitmap - 1] = 0x01;
        set_u32(page, owner_offset, owner_);
        set_u16(page, free_space_offset, static_cast<std::uint32_t>(layout_->page_size - layout_->index_area));
        if (!pages_.empty()) {
            set_u32(page, layout_->index_prev, pages_.back().page);
            set_u32(store_->page(pages_.back().page), layout_->index_next, number);
        }
        pages_.push_back({number, {}});
        used_ = 0;
    }

    std::vector<Child>& pages() { return pages_; }

private:
    PageStore* store_;
    const FileLayout* layout_;
    std::uint32_t owner_;
    std::uint8_t type_;
    std::vector<Child> pages_;
    std::size_t used_ = 0;
};

// One intermediate level over `children`: each page names children through entries, in order, and its
// last child as its tail page, which no entry names.
std::vector<Child> intermediate_level(PageStore& store, std::uint32_t owner, const std::vector<Child>& children,
                                      std::vector<std::uint32_t>& made) {
    LevelWriter level(store, owner, intermediate_page);
    const std::size_t area = store.layout().page_size - store.layout().index_area;
    std::size_t used = 0;
    bool open = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        Bytes entry = children[i].last_leaf_entry;
        put_be_pointer(entry, children[i].page);
        if (!open) {
            level.open();
            made.push_back(level.pages().back().page);
            used = 0;
            open = true;
        }
        if (i + 1 == children.size() || used + entry.size() > area) {
            set_u32(store.page(level.pages().back().page), store.layout().index_tail, children[i].page);
            level.pages().back().last_leaf_entry = children[i].last_leaf_entry;
            open = false;
            continue;
        }
        level.add(entry, children[i].last_leaf_entry);
        used += entry.size();
    }
    return level.pages();
}

}  // namespace

std::vector<std::uint32_t> write_index(PageStore& store, std::uint32_t owner, std::vector<IndexEntry> entries) {
    std::sort(entries.begin(), entries.end(), [](const IndexEntry& a, const IndexEntry& b) {
        if (a.key != b.key) return a.key < b.key;
        return a.row.packed() < b.row.packed();
    });
    std::vector<std::uint32_t> all_pages;
    LevelWriter leaves(store, owner, leaf_page);
    leaves.open();
    for (const auto& e : entries) {
        const Bytes stored = leaf_bytes(e);
        leaves.add(stored, stored);
    }
    std::vector<Child> level = leaves.pages();
    for (const auto& c : level) all_pages.push_back(c.page);
    std::vector<std::uint32_t> upper;  // pages above the leaves; the root is made last
    while (level.size() > 1) level = intermediate_level(store, owner, level, upper);
    std::vector<std::uint32_t> out;
    if (!upper.empty()) out.push_back(upper.back());
    out.insert(out.end(), upper.begin(), upper.empty() ? upper.end() : upper.end() - 1);
    out.insert(out.end(), all_pages.begin(), all_pages.end());
    return out;
}


}  // namespace qz::writer

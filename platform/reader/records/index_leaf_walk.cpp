#include "platform/reader/records/index_leaf_walk.hpp"

#include <algorithm>
#include <optional>
#include <unordered_set>

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {
namespace {

// Where the fields of an index page lie (access-file-format 14.3); Jet 3 first, then Jet 4 and ACE.
struct IndexPageLayout {
    std::size_t page_size;            // 2048 / 4096
    std::size_t previous_page;        // 0x08 / 0x0C: previous page on the same level, 0 for the first
    std::size_t next_page;            // 0x0C / 0x10: next page on the same level, 0 for the last
    std::size_t tail_page;            // 0x10 / 0x14: last child of an intermediate page, named by no entry
    std::size_t prefix_length;        // 0x14 (one byte) / 0x18 (two bytes): prefix shared by the entries
    std::size_t entry_bitmap;         // 0x16 / 0x1B: one bit per entry-area byte, set where an entry ends
    std::size_t entry_bitmap_length;  // 226 / 453 bytes
    std::size_t entry_area;           // 0xF8 / 0x1E0: the entries, back to back
    bool one_byte_prefix;
};
constexpr IndexPageLayout jet3_layout{2048, 0x08, 0x0C, 0x10, 0x14, 0x16, 226, 0xF8, true};
constexpr IndexPageLayout jet4_layout{4096, 0x0C, 0x10, 0x14, 0x18, 0x1B, 453, 0x1E0, false};

constexpr std::uint8_t intermediate_page_type = 0x03;
constexpr std::uint8_t leaf_page_type = 0x04;
constexpr std::size_t free_space_offset = 0x02;
constexpr std::size_t owner_offset = 0x04;  // first definition page of the table the index belongs to
// A leaf entry is a key of at least one byte and a 4-byte row pointer; an intermediate entry adds the
// 4-byte child page after the row pointer.
constexpr std::size_t min_leaf_entry = 5;
constexpr std::size_t min_intermediate_entry = 9;
// No real index comes near this depth; it only stops a damaged tree from leading the descent around.
constexpr std::size_t max_tree_depth = 32;

// One index page with the extent of each entry found through the bitmap. Entries are not copied: a
// rebuilt entry is the first `prefix` bytes of the page's first entry followed by its stored bytes.
class IndexPage {
public:
    IndexPage(ByteView page, const IndexPageLayout& layout) : page_(page), layout_(&layout) {
        type_ = page_.u8(0);
        page_.require(type_ == intermediate_page_type || type_ == leaf_page_type,
                      "an index page has a wrong type");
        page_.require(page_.u8(1) == 0x01, "an index page has a wrong signature");
        prefix_ = layout.one_byte_prefix ? page_.u8(layout.prefix_length) : page_.u16(layout.prefix_length);
        find_entries();
    }

    bool is_leaf() const { return type_ == leaf_page_type; }
    std::uint32_t owner() const { return page_.u32(owner_offset); }
    std::uint32_t previous() const { return page_.u32(layout_->previous_page); }
    std::uint32_t next() const { return page_.u32(layout_->next_page); }
    std::uint32_t tail() const { return page_.u32(layout_->tail_page); }
    std::size_t entry_count() const { return ends_.size(); }

    // The last four bytes of rebuilt entry `i`, big-endian as index entries store their pointers: the row
    // pointer of a leaf entry, the child page of an intermediate entry.
    std::uint32_t trailing_be32(std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        const std::size_t shared = i == 0 ? 0 : prefix_;
        const std::size_t length = shared + (ends_[i] - start);
        std::uint32_t value = 0;
        for (std::size_t k = length - 4; k < length; ++k) {
            // Byte k of the rebuilt entry comes from the first entry while inside the shared prefix.
            const std::size_t at = k < shared ? k : start + (k - shared);
            value = (value << 8) | page_.u8(layout_->entry_area + at);
        }
        return value;
    }

private:
    void find_entries() {
        const std::size_t min_entry = is_leaf() ? min_leaf_entry : min_intermediate_entry;
        const std::size_t area_size = layout_->page_size - layout_->entry_area;
        std::size_t start = 0;
        for (std::size_t byte = 0; byte < layout_->entry_bitmap_length; ++byte) {
            const std::uint8_t bits = page_.u8(layout_->entry_bitmap + byte);
            for (std::size_t bit = 0; bits != 0 && bit < 8; ++bit) {
                if ((bits & (1u << bit)) == 0) continue;
                const std::size_t end = byte * 8 + bit;
                page_.require(end <= area_size, "an index entry ends past its page");
                page_.require(end > start, "an index page has an empty entry");
                const std::size_t length = ends_.empty() ? end : prefix_ + (end - start);
                if (ends_.empty())
                    page_.require(prefix_ <= end,
                                  "an index page's shared prefix is longer than its first entry");
                page_.require(length >= min_entry, "an index entry is too short");
                ends_.push_back(end);
                start = end;
            }
        }
        page_.require(layout_->entry_area + start == layout_->page_size - page_.u16(free_space_offset),
                      "an index page's entries disagree with its free space");
    }

    ByteView page_;
    const IndexPageLayout* layout_;
    std::uint8_t type_ = 0;
    std::size_t prefix_ = 0;
    std::vector<std::size_t> ends_;  // entry i ends at ends_[i], counted from the entry area
};

class LeafWalk {
public:
    LeafWalk(const PageSource& pages, bool jet3, const std::u16string& path, std::uint32_t page_count)
        : pages_(pages), layout_(jet3 ? jet3_layout : jet4_layout), path_(path), page_count_(page_count) {}

    std::vector<RowAddress> run(std::uint32_t root_page) {
        std::uint32_t current = root_page;
        IndexPage page = read(current);
        // Down the first entries to the leftmost leaf; the first entry names the leftmost child.
        for (std::size_t depth = 1; !page.is_leaf(); ++depth) {
            if (depth >= max_tree_depth) throw errors::database_damaged(path_, "an index tree is too deep");
            current = page.entry_count() > 0 ? page.trailing_be32(0) : page.tail();
            page = read(current);
        }
        // Along the leaf chain, which also reaches the tail leaves that no intermediate entry names.
        std::vector<RowAddress> out;
        std::vector<std::uint32_t> pointers;  // as stored, to find a row named twice once all are read
        std::uint32_t previous = 0;
        for (;;) {
            if (!page.is_leaf())
                throw errors::database_damaged(path_, "an index leaf chain leads to a non-leaf page");
            if (page.previous() != previous)
                throw errors::database_damaged(path_, "an index leaf chain is not linked both ways");
            for (std::size_t i = 0; i < page.entry_count(); ++i) {
                const std::uint32_t pointer = page.trailing_be32(i);
                const RowAddress row = RowAddress::from_stored(pointer);
                if (row.page == 0 || row.page >= page_count_)
                    throw errors::database_damaged(path_, "an index entry points past the file");
                pointers.push_back(pointer);
                out.push_back(row);
            }
            const std::uint32_t next = page.next();
            if (next == 0) {
                std::sort(pointers.begin(), pointers.end());
                if (std::adjacent_find(pointers.begin(), pointers.end()) != pointers.end())
                    throw errors::database_damaged(path_, "an index names a row twice");
                return out;
            }
            previous = current;
            current = next;
            page = read(current);
        }
    }

private:
    // Reads an index page once: a page seen before means the tree or the chain loops.
    IndexPage read(std::uint32_t page_number) {
        if (page_number == 0 || page_number >= page_count_)
            throw errors::database_damaged(path_, "an index page number is out of range");
        if (!visited_.insert(page_number).second)
            throw errors::database_damaged(path_, "an index refers to one of its pages twice");
        const std::span<const std::uint8_t> bytes = pages_(page_number);
        if (bytes.size() != layout_.page_size)
            throw errors::database_damaged(path_, "an index page has the wrong size");
        IndexPage page(ByteView(bytes, path_), layout_);
        // Every page of the tree belongs to the table that owns the root.
        if (!owner_) owner_ = page.owner();
        if (page.owner() != *owner_)
            throw errors::database_damaged(path_, "an index page belongs to another table");
        return page;
    }

    const PageSource& pages_;
    const IndexPageLayout& layout_;
    const std::u16string& path_;
    std::uint32_t page_count_;
    std::optional<std::uint32_t> owner_;
    std::unordered_set<std::uint32_t> visited_;
};

}  // namespace

std::vector<RowAddress> walk_index_leaves(const PageSource& pages, std::uint32_t root_page, bool jet3,
                                          const std::u16string& path, std::uint32_t page_count) {
    return LeafWalk(pages, jet3, path, page_count).run(root_page);
}

}  // namespace qz::jet

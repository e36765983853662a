#include "platform/reader/records/index_leaf_walk.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

#include "platform/error.hpp"
#include "platform/reader/pages/damage.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::jet {
namespace {

using test::Bytes;
using test::put32;

// Index page layout, written out independently of the walker: Jet 3 and Jet 4/ACE.
struct Layout {
    bool jet3;
    std::size_t page_size, previous, next, tail, prefix, bitmap, area;
};
constexpr Layout jet3_layout{true, 2048, 0x08, 0x0C, 0x10, 0x14, 0x16, 0xF8};
constexpr Layout jet4_layout{false, 4096, 0x0C, 0x10, 0x14, 0x18, 0x1B, 0x1E0};
constexpr std::uint32_t table_page = 2;
void PrintTo(const Layout& l, std::ostream* out) { *out << (l.jet3 ? "Jet 3 layout" : "Jet 4 layout"); }

// An entry as stored: the key, then big-endian the row pointer and, on intermediate pages, the child page.
Bytes entry(Bytes key, std::uint32_t page, std::uint8_t row, std::optional<std::uint32_t> child = {}) {
    std::vector<std::uint32_t> words{(page << 8) | row};
    if (child) words.push_back(*child);
    for (const std::uint32_t v : words)
        for (int shift = 24; shift >= 0; shift -= 8) key.push_back(static_cast<std::uint8_t>(v >> shift));
    return key;
}

struct PageShape {
    std::uint8_t type = 0x04;
    std::uint32_t previous = 0, next = 0, tail = 0;
    std::uint16_t prefix = 0;
    std::vector<Bytes> stored;  // entries as stored: all but the first without the shared prefix
    std::uint32_t owner = table_page;
};

// An index page as Access writes it: entries back to back, one bitmap bit where each ends, free space.
Bytes index_page(const Layout& l, const PageShape& shape) {
    Bytes page(l.page_size, 0);
    page[0] = shape.type;
    page[1] = 0x01;
    put32(page, 0x04, shape.owner);
    put32(page, l.previous, shape.previous);
    put32(page, l.next, shape.next);
    put32(page, l.tail, shape.tail);
    page[l.prefix] = static_cast<std::uint8_t>(shape.prefix);
    if (!l.jet3) page[l.prefix + 1] = static_cast<std::uint8_t>(shape.prefix >> 8);
    std::size_t end = 0;
    for (const Bytes& entry : shape.stored) {
        std::copy(entry.begin(), entry.end(), page.begin() + static_cast<std::ptrdiff_t>(l.area + end));
        end += entry.size();
        page[l.bitmap + end / 8] = static_cast<std::uint8_t>(page[l.bitmap + end / 8] | (1u << (end % 8)));
    }
    const std::size_t free = l.page_size - l.area - end;
    page[2] = static_cast<std::uint8_t>(free);
    page[3] = static_cast<std::uint8_t>(free >> 8);
    return page;
}

struct MemoryPages {
    std::map<std::uint32_t, Bytes> pages;
    std::u16string path = u"memory.mdb";
    PageSource source() const {
        return [this](std::uint32_t number) -> std::span<const std::uint8_t> {
            const auto found = pages.find(number);
            if (found == pages.end()) throw_damaged(path, "page past the end");
            return found->second;
        };
    }
};

// A two-level tree: root 10 names leaf 11 by its first entry and has leaf 12 as its tail, the way Access
// writes a grown index. Leaf 11 shares a 2-byte prefix between its entries.
MemoryPages two_level_tree(const Layout& l) {
    MemoryPages tree;
    tree.pages[10] = index_page(l, {.type = 0x03, .tail = 12, .stored = {entry({7, 7, 3}, 40, 3, 11)}});
    tree.pages[11] =
        index_page(l, {.next = 12,
                       .prefix = 2,
                       .stored = {entry({7, 7, 1}, 40, 1), Bytes{2, 0, 0, 40, 2}, Bytes{3, 0, 0, 40, 3}}});
    tree.pages[12] = index_page(l, {.previous = 11, .stored = {entry({8, 1}, 41, 0), entry({9}, 41, 1)}});
    return tree;
}

std::vector<RowAddress> walk(const MemoryPages& pages, std::uint32_t root, const Layout& l) {
    return walk_index_leaves(pages.source(), root, l.jet3, pages.path, 1000);
}

class IndexLeafWalkLayouts : public ::testing::TestWithParam<Layout> {};

TEST_P(IndexLeafWalkLayouts, DescendsByTheFirstEntryAndReachesTheTailLeafThroughTheChain) {
    const std::vector<RowAddress> expected{{40, 1}, {40, 2}, {40, 3}, {41, 0}, {41, 1}};
    EXPECT_EQ(walk(two_level_tree(GetParam()), 10, GetParam()), expected);
}

TEST_P(IndexLeafWalkLayouts, PrefixCoveringPartOfTheRowPointerIsRebuiltFromTheFirstEntry) {
    // A non-unique index may share the key and the high bytes of the page number: the stored remainder of
    // the second entry is only its last two pointer bytes.
    MemoryPages pages;
    pages.pages[5] =
        index_page(GetParam(), {.prefix = 4, .stored = {entry({1, 2}, 0x0102, 7), Bytes{0x03, 9}}});
    pages.pages[6] = index_page(GetParam(), {});
    const std::vector<RowAddress> expected{{0x0102, 7}, {0x0103, 9}};
    EXPECT_EQ(walk(pages, 5, GetParam()), expected);
    EXPECT_TRUE(walk(pages, 6, GetParam()).empty()) << "an empty root leaf";
}

// Damage of trees deeper than one leaf, each made from the healthy two-level tree; damaged leaves and leaf
// chains are regression inputs (tests/fuzz_regressions/inputs/fuzz_database).
TEST_P(IndexLeafWalkLayouts, DamagedTreesRaise3049) {
    const Layout& l = GetParam();
    const std::vector<std::pair<const char*, std::function<void(MemoryPages&)>>> damages{
        {"chain leads to an intermediate page whose entries would pass for leaf entries",
         [&](MemoryPages& t) {
             t.pages[12] =
                 index_page(l, {.type = 0x03, .previous = 11, .stored = {entry({9}, 41, 1, 42u << 8 | 1)}});
         }},
        {"descent deeper than any real tree to a healthy leaf",
         [&](MemoryPages& t) {
             for (std::uint32_t p = 10; p < 100; ++p)
                 t.pages[p] = index_page(l, {.type = 0x03, .stored = {entry({1}, 40, 1, p + 1)}});
             t.pages[100] = index_page(l, {.stored = {entry({1}, 40, 1)}});
         }},
    };
    for (const auto& [fault, damage] : damages) {
        MemoryPages tree = two_level_tree(l);
        damage(tree);
        EXPECT_EQ(test::error_number_of([&] { walk(tree, 10, l); }), error_number::database_damaged) << fault;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, IndexLeafWalkLayouts, ::testing::Values(jet3_layout, jet4_layout),
                         [](const auto& format) { return format.param.jet3 ? "Jet3" : "Jet4"; });

}  // namespace
}  // namespace qz::jet

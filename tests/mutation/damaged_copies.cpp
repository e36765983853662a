#include "mutation/damaged_copies.hpp"

#include <algorithm>
#include <random>

#include "platform/reader/pages/page_file.hpp"
#include "platform/text/code_page.hpp"
#include "support/byte_damage.hpp"

namespace qz::test {
namespace {

constexpr std::uint8_t page_type_data = 0x01;
constexpr std::uint8_t page_type_definition = 0x02;
constexpr std::uint8_t page_type_index_node = 0x03;
constexpr std::uint8_t page_type_index_leaf = 0x04;
constexpr std::uint32_t catalog_definition_page = 2;
constexpr std::size_t owner_offset = 4;  // data pages: the table definition that owns them
// Where page headers keep page numbers: owner or next definition page, and an index page's neighbours.
constexpr std::size_t header_pointer_offsets[] = {4, 8, 12, 16};
// Values on the edges of lengths, counts and offsets.
constexpr std::uint8_t edge_values[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFE, 0xFF};

using Random = std::mt19937_64;

std::string hex(std::uint64_t value) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + text;
}

std::uint32_t read32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16) |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
void write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A page from `preferred`, or any page past the header when the file has none of that kind.
std::uint32_t page_from(Random& random, const std::vector<std::uint32_t>& preferred,
                        const FileLayout& layout) {
    if (!preferred.empty()) return preferred[below(random, preferred.size())];
    return layout.page_count <= 1 ? 0 : static_cast<std::uint32_t>(1 + below(random, layout.page_count - 1));
}

// The pages a listing walks through page numbers: table definitions, index pages and the catalog's rows
// (among them the usage maps that list a table's pages).
std::vector<std::uint32_t> linked_pages(const FileLayout& layout) {
    std::vector<std::uint32_t> pages = layout.definitions;
    pages.insert(pages.end(), layout.indexes.begin(), layout.indexes.end());
    pages.insert(pages.end(), layout.catalog_data.begin(), layout.catalog_data.end());
    return pages;
}

// Most damage lands where the catalog lives, in the first pages; the rest anywhere.
std::size_t page_to_cut_at(Random& random, const FileLayout& layout) {
    return below(random,
                 below(random, 2) == 0 ? std::min<std::size_t>(layout.page_count, 16) : layout.page_count);
}

// One to four bytes of bytes[start, start + length) damaged.
std::string change_bytes(Random& random, Bytes& bytes, std::size_t start, std::size_t length) {
    std::string offsets;
    for (std::size_t change = 1 + below(random, 4); change > 0; --change) {
        const std::size_t at = start + below(random, length);
        damage_byte(random, bytes[at], edge_values);
        offsets += (offsets.empty() ? "" : ",") + hex(at - start);
    }
    return offsets;
}

// Changes bytes of page `page`: half the time among its first `head` bytes, where its counts and offsets sit.
std::string change_page(Random& random, Bytes& bytes, const FileLayout& layout, std::uint32_t page,
                        std::size_t head) {
    const std::size_t start = page * layout.page_size;
    const std::size_t length = below(random, 2) == 0 ? std::min(head, layout.page_size) : layout.page_size;
    return "page " + std::to_string(page) + " bytes " + change_bytes(random, bytes, start, length);
}

// A four-byte page pointer of `page` aimed elsewhere: to another page, to the page itself, past the end
// of the file or at the header. The pointer is one at a known header offset or any word whose value (whole,
// or above a row byte) is a page number of the file.
std::string aim_pointer_elsewhere(Random& random, Bytes& bytes, const FileLayout& layout,
                                  std::uint32_t page) {
    const std::size_t start = page * layout.page_size;
    std::vector<std::size_t> candidates;
    for (std::size_t at = 4; at + 4 <= layout.page_size; ++at) {
        const std::uint32_t word = read32(bytes, start + at);
        if ((word >= 1 && word < layout.page_count) ||
            ((word >> 8) >= 1 && (word >> 8) < layout.page_count)) {
            candidates.push_back(at);
        }
    }
    const bool header_pointer = candidates.empty() || below(random, 4) == 0;
    const std::size_t at = header_pointer
                               ? header_pointer_offsets[below(random, std::size(header_pointer_offsets))]
                               : candidates[below(random, candidates.size())];
    const std::uint32_t targets[] = {static_cast<std::uint32_t>(below(random, layout.page_count)), page,
                                     layout.page_count, 0xFFFFFF, 0};
    const std::uint32_t target = targets[below(random, std::size(targets))];
    const std::uint32_t before = read32(bytes, start + at);
    // A row pointer keeps its row byte and changes its page; a page number changes whole.
    const bool row_pointer = !(before >= 1 && before < layout.page_count) && below(random, 2) == 0;
    const std::uint32_t after = row_pointer ? (target << 8 | (before & 0xFF)) : target;
    write32(bytes, start + at, after);
    return "page " + std::to_string(page) + " pointer at " + hex(at) + " " + hex(before) + " -> " +
           hex(after);
}

}  // namespace

FileLayout read_layout(const std::filesystem::path& file, const std::string& password) {
    const jet::PageFile pages(file.u16string(), text::utf8_to_utf16(password));
    FileLayout layout;
    layout.page_size = pages.format().page_size;
    layout.page_count = pages.page_count();
    for (std::uint32_t number = 1; number < layout.page_count; ++number) {
        const auto page = pages.page(number);
        switch ((*page)[0]) {
            case page_type_definition:
                layout.definitions.push_back(number);
                break;
            case page_type_index_node:
            case page_type_index_leaf:
                layout.indexes.push_back(number);
                break;
            case page_type_data:
                layout.data.push_back(number);
                if (read32(*page, owner_offset) == catalog_definition_page)
                    layout.catalog_data.push_back(number);
                break;
            default:
                break;
        }
    }
    return layout;
}

DamagedCopy damaged_copy(const Bytes& original, const FileLayout& layout, std::uint64_t seed,
                         std::size_t number) {
    std::seed_seq seeds{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                        static_cast<std::uint32_t>(number)};
    Random random(seeds);
    DamagedCopy copy{{}, original};
    Bytes& bytes = copy.bytes;
    const std::size_t page_size = layout.page_size;
    switch (number % damage_kinds) {
        case 0: {
            const std::size_t length = page_to_cut_at(random, layout) * page_size;
            bytes.resize(length);
            copy.damage = "cut at page boundary " + hex(length);
            break;
        }
        case 1: {
            const std::size_t length =
                page_to_cut_at(random, layout) * page_size + 1 + below(random, page_size - 1);
            bytes.resize(length);
            copy.damage = "cut inside a page at " + hex(length);
            break;
        }
        case 2:
            copy.damage = "header " + change_page(random, bytes, layout, 0, 0x300);
            break;
        case 3:
            copy.damage =
                "table definition " +
                change_page(random, bytes, layout, page_from(random, layout.definitions, layout), 0x100);
            break;
        case 4:
            copy.damage = "index " + change_page(random, bytes, layout,
                                                 page_from(random, layout.indexes, layout), 0x200);
            break;
        case 5: {
            const auto& pages = below(random, 2) == 0 ? layout.catalog_data : layout.data;
            copy.damage =
                "data " + change_page(random, bytes, layout, page_from(random, pages, layout), 0x40);
            break;
        }
        case 6:
            copy.damage =
                aim_pointer_elsewhere(random, bytes, layout, page_from(random, linked_pages(layout), layout));
            break;
        default: {
            const std::uint32_t first = page_from(random, linked_pages(layout), layout);
            std::uint32_t second = page_from(random, {}, layout);
            if (second == first) second = (first + 1) % layout.page_count;
            std::swap_ranges(bytes.begin() + static_cast<std::ptrdiff_t>(first * page_size),
                             bytes.begin() + static_cast<std::ptrdiff_t>((first + 1) * page_size),
                             bytes.begin() + static_cast<std::ptrdiff_t>(second * page_size));
            copy.damage = "pages " + std::to_string(first) + " and " + std::to_string(second) + " swapped";
            break;
        }
    }
    return copy;
}

}  // namespace qz::test

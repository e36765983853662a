#include "platform/reader/records/table_definition.hpp"

#include <algorithm>
#include <array>

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/records/tdef_name.hpp"

namespace qz::jet {
namespace {

// Layout constants, Jet 3 and Jet 4/ACE (reference 3.1 to 3.11).
struct Layout {
    std::size_t header;         // offset of the table-type byte (3.2)
    std::size_t first_section;  // where section A starts
    std::size_t index_stats;    // section A entry
    std::size_t descriptor;     // section B entry
    std::size_t real_index;     // section D entry
    std::size_t logical_index;  // section E entry
    // Column descriptor fields (3.5).
    std::size_t col_number, col_variable_index, col_ordinal, col_misc, col_flags, col_fixed_offset,
        col_length;
    // Real index fields (3.8).
    std::size_t ri_keys, ri_root, ri_flags;
    // Logical index fields (3.9).
    std::size_t li_number, li_real, li_role, li_kind;
};

constexpr Layout jet3_layout{0x14, 0x2B, 8,    18,   39,   20,   0x01, 0x03, 0x05, 0x09,
                             0x0D, 0x0E, 0x10, 0x00, 0x22, 0x26, 0x00, 0x04, 0x08, 0x13};
constexpr Layout jet4_layout{0x28, 0x3F, 12,   25,   52,   28,   0x05, 0x07, 0x09, 0x0B,
                             0x0F, 0x15, 0x17, 0x04, 0x26, 0x2E, 0x04, 0x08, 0x0C, 0x17};

constexpr std::size_t next_page_offset = 0x04;
constexpr std::size_t page_header_size = 8;
constexpr std::size_t total_length_offset = 0x08;
constexpr std::size_t key_slots = 10;
constexpr std::uint16_t unused_key_slot = 0xFFFF;
// Sane caps on counts read from the file: the engine allows 255 columns and 32 indexes.
constexpr std::uint32_t max_columns = 255;
constexpr std::uint32_t max_indexes = 255;
// A definition of 255 columns and as many indexes fits in far fewer pages than this.
constexpr std::size_t max_definition_pages = 64;

// The definition's bytes: its one page as read, or the pages of a longer chain joined (each next page
// without its header).
PageBytes definition_buffer(const PageFile& file, std::uint32_t first_page) {
    // Page 0 ends a chain, so a definition said to start there has no pages at all.
    if (first_page == 0)
        throw errors::database_damaged(file.path(), "a table definition is said to start on the header page");
    PageBytes first;
    std::shared_ptr<std::vector<std::uint8_t>> joined;
    std::array<std::uint32_t, max_definition_pages> seen{};
    std::size_t seen_count = 0;
    std::uint32_t number = first_page;
    while (number != 0) {
        const auto seen_end = seen.begin() + static_cast<std::ptrdiff_t>(seen_count);
        if (std::find(seen.begin(), seen_end, number) != seen_end)
            throw errors::database_damaged(file.path(), "the pages of a table definition form a loop");
        if (seen_count == seen.size())
            throw errors::database_damaged(file.path(), "a table definition has too many pages");
        seen[seen_count++] = number;
        const PageBytes page = file.page(number);
        const ByteView view(*page, file.path());
        view.require((*page)[0] == table_definition_page_type, "a table definition page has the wrong type");
        if (!first) {
            first = page;
        } else {
            if (!joined) joined = std::make_shared<std::vector<std::uint8_t>>(*first);
            joined->insert(joined->end(), page->begin() + static_cast<std::ptrdiff_t>(page_header_size),
                           page->end());
        }
        number = view.u32(next_page_offset);
    }
    if (joined) return joined;
    return first;
}

ColumnDescriptor parse_descriptor(const ByteView& d, const Layout& l, bool jet3) {
    ColumnDescriptor c;
    c.type = d.u8(0);
    c.number = d.u16(l.col_number);
    c.variable_index = d.u16(l.col_variable_index);
    c.ordinal = d.u16(l.col_ordinal);
    c.flags = d.u8(l.col_flags);
    c.fixed_offset = d.u16(l.col_fixed_offset);
    c.length = d.u16(l.col_length);
    // Jet 3 keeps the sort order at 0x09; Jet 4 and ACE keep it (text) or the complex id (complex columns) in
    // the type-dependent block at 0x0B (reference 3.5.1).
    c.sort_order = d.u16(l.col_misc);
    if (!jet3) {
        c.complex_id = d.u32(l.col_misc);
        c.extended_flags = d.u8(l.col_flags + 1);
    }
    return c;
}

}  // namespace

bool is_table_definition_page(const PageFile& file, std::uint32_t page) {
    return page > 0 && page < file.page_count() && (*file.page(page))[0] == table_definition_page_type;
}

TableDefinition read_table_definition(const PageFile& file, std::uint32_t first_page,
                                      DefinitionDetail detail) {
    const bool jet3 = file.format().jet3;
    const Layout& l = jet3 ? jet3_layout : jet4_layout;
    const PageBytes buffer = definition_buffer(file, first_page);
    const ByteView whole(*buffer, file.path());
    const std::uint32_t total = whole.u32(total_length_offset);
    whole.require(total >= l.first_section && total <= buffer->size(),
                  "a table definition has a wrong length");
    // Every read below stays inside the stored length.
    const ByteView def = whole.sub(0, total);

    TableDefinition table;
    table.first_page = first_page;
    table.variable_column_count = def.u16(l.header + 3);
    const std::uint16_t column_count = def.u16(l.header + 5);
    const std::uint32_t logical_count = def.u32(l.header + 7);
    const std::uint32_t real_count = def.u32(l.header + 11);
    table.owned_pages = RowAddress::from_stored(def.u32(l.header + 15));
    def.require(column_count <= max_columns && logical_count <= max_indexes && real_count <= max_indexes,
                "a table definition claims more columns or indexes than a table can have");
    def.require(static_cast<std::uint64_t>(column_count) * l.descriptor <= total,
                "a table definition claims more columns than it holds");

    // The sections follow one another: column descriptors, column names, real indexes, logical indexes,
    // their names.
    ByteView sections = def;
    sections.skip(l.first_section + real_count * l.index_stats);
    table.columns.reserve(column_count);
    for (std::uint16_t i = 0; i < column_count; ++i)
        table.columns.push_back(parse_descriptor(sections.next(l.descriptor), l, jet3));
    const bool full = detail == DefinitionDetail::full;
    // A shape passes over the names, still checking that each lies inside the definition.
    const auto name = [&] {
        return full ? read_tdef_name(sections, jet3, file.format().code_page)
                    : skip_tdef_name(sections, jet3);
    };
    for (auto& column : table.columns) column.name = name();

    if (full) table.real_indexes.reserve(real_count);
    table.logical_indexes.reserve(logical_count);
    for (std::uint32_t r = 0; r < real_count; ++r) {
        const ByteView entry = sections.next(l.real_index);
        if (!full) continue;
        RealIndex index;
        for (std::size_t k = 0; k < key_slots; ++k) {
            const std::uint16_t column = entry.u16(l.ri_keys + 3 * k);
            if (column == unused_key_slot) continue;
            const bool known = std::any_of(table.columns.begin(), table.columns.end(),
                                           [&](const ColumnDescriptor& c) { return c.number == column; });
            entry.require(known, "an index names a column the table does not have");
            index.keys.push_back({column, entry.u8(l.ri_keys + 3 * k + 2) == 0x01});
        }
        index.root_page = entry.u32(l.ri_root);
        index.flags = entry.u8(l.ri_flags);
        table.real_indexes.push_back(std::move(index));
    }
    for (std::uint32_t i = 0; i < logical_count; ++i) {
        const ByteView entry = sections.next(l.logical_index);
        LogicalIndex index;
        index.number = entry.i32(l.li_number);
        index.real_index = entry.u32(l.li_real);
        entry.require(index.real_index < real_count,
                      "a logical index names a real index that does not exist");
        index.relationship_role = entry.u8(l.li_role);
        index.kind = entry.u8(l.li_kind);
        table.logical_indexes.push_back(std::move(index));
    }
    for (auto& index : table.logical_indexes) index.name = name();
    return table;
}

}  // namespace qz::jet

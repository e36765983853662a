#pragma once
// A table as its definition (TDEF, reference section 3) describes it, and the bytes of that definition.

#include <string>
#include <vector>

#include "writer/access_writer.hpp"
#include "writer/byte_buffer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

namespace column_flag {  // 3.6.1
constexpr std::uint8_t fixed = 0x01, updatable = 0x02, auto_number = 0x04, core_system = 0x10,
                       owner_sid = 0x20, replication = 0x40, hyperlink = 0x80;
}
namespace index_flag {  // 3.8
constexpr std::uint8_t unique = 0x01, ignore_nulls = 0x02, required = 0x08, jet4 = 0x80;
}
namespace extended_flag {  // 3.6.2
constexpr std::uint8_t compressed = 0x01, flat_key = 0x04, flat_owner_key = 0x08, attachment = 0x10,
                       calculated = 0xC0;
}
constexpr std::uint8_t complex_type = 0x12;  // 7.1

namespace logical_index_type {  // 3.9
constexpr std::uint8_t ordinary = 0, primary = 1, foreign = 2;
}

struct ColumnLayout {
    std::u16string name;
    ColumnType type = ColumnType::long_integer;
    std::uint16_t length = 0;      // bytes: fixed size, or declared maximum of Text/Binary
    std::uint8_t flags = 0;        // column_flag bits
    std::uint8_t ext_flags = 0;    // J4+: 0x01 Unicode compression
    std::uint16_t number = 0;      // null-mask bit, referenced by indexes
    std::uint16_t variable_index = 0;
    std::uint16_t ordinal = 0;
    std::uint16_t fixed_offset = 0;
    std::uint8_t precision = 0, scale = 0;
    std::uint32_t complex_id = 0;  // type 0x12: key of the column's MSysComplexColumns row
    bool is_fixed() const { return (flags & column_flag::fixed) != 0; }
    bool is_long_value() const { return type == ColumnType::memo || type == ColumnType::ole; }
};

struct RealIndex {
    std::vector<std::pair<std::uint16_t, bool>> keys;  // (column number, descending)
    std::uint8_t flags = 0;
    std::uint32_t root_page = 0;
    RowAddress usage_map{};
    std::uint8_t complex_marker = 0;  // 0x02 on the unique index Access adds for a complex column
};

struct LogicalIndex {
    std::u16string name;
    std::int32_t number = 0;
    std::int32_t real_index = 0;
    std::uint8_t type = logical_index_type::ordinary;
    std::uint8_t foreign_role = 0;         // 1: this table is the primary side, 2: the foreign side
    std::int32_t foreign_index = -1;       // number of the matching logical index in the other table
    std::uint32_t foreign_table = 0;       // first TDEF page of the other table
    std::uint8_t cascade_updates = 0x04;   // non-foreign indexes carry 0x04 in both bytes
    std::uint8_t cascade_deletes = 0x04;
};

struct LongValueMaps {
    std::uint16_t column = 0;
    RowAddress owned, free;
};

struct TableLayout {
    std::u16string name;
    bool core_system = false;            // table type 'S' instead of 'N'
    std::vector<ColumnLayout> columns;   // in descriptor order
    std::vector<RealIndex> real_indexes;
    std::vector<LogicalIndex> logical_indexes;
    std::uint32_t row_count = 0;
    std::uint32_t auto_number = 0;
    RowAddress owned_pages, free_pages;
    std::vector<LongValueMaps> long_value_maps;

    std::uint16_t column_count() const { return static_cast<std::uint16_t>(columns.size()); }
    const ColumnLayout& column(std::u16string_view name) const;  // throws std::invalid_argument
    // The columns in number order: the order of a row's values.
    std::vector<const ColumnLayout*> by_number() const;
};

// Numbers the columns in the given order and gives each its place in a row (fixed offset or variable
// index). `core_system` marks the columns as the four core system tables do; their descriptors are then
// stored in name order (Jet 4+) with ordinal 0, as the engine stores them.
std::vector<ColumnLayout> lay_out_columns(const FileLayout& layout, const std::vector<Column>& columns,
                                          bool core_system);

// The whole definition as one buffer, starting with the 8-byte page header (free space and next page left
// zero: the page writer fills them when it splits the buffer into pages).
Bytes table_definition_bytes(const FileLayout& layout, const TableLayout& table);

}  // namespace qz::writer

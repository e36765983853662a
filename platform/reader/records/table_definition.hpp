#pragma once
// The table definition (TDEF, reference section 3): columns, real and logical indexes, the usage map of the
// table's rows. Read from its chain of pages into one buffer, every section checked against the stored
// length.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"

namespace qz::jet {

// One column descriptor (reference 3.5) with its name (3.7).
struct ColumnDescriptor {
    std::u16string name;
    std::uint8_t type = 0;             // type code (reference 7.1)
    std::uint16_t number = 0;          // column number: null-mask bit, index slots
    std::uint16_t variable_index = 0;  // position in the row's variable-offset table
    std::uint16_t ordinal = 0;         // ordinal position as stored
    std::uint16_t sort_order = 0;      // text and memo: sort order LCID
    std::uint32_t complex_id = 0;      // complex columns (ACE): key of MSysComplexColumns
    std::uint8_t flags = 0;            // reference 3.6.1
    std::uint8_t extended_flags = 0;   // reference 3.6.2 (Jet 4 and ACE)
    std::uint16_t fixed_offset = 0;    // value offset in the fixed area of a row
    std::uint16_t length = 0;          // stored length in bytes

    bool fixed_length() const { return (flags & 0x01) != 0; }
    bool calculated() const { return (extended_flags & 0xC0) == 0xC0; }
};

// One key column of a real index (reference 3.8).
struct IndexKey {
    std::uint16_t column_number = 0;
    bool ascending = true;
};

struct RealIndex {
    std::vector<IndexKey> keys;
    std::uint32_t root_page = 0;
    std::uint8_t flags = 0;  // 0x01 unique, 0x02 ignore nulls, 0x08 required
};

// A logical index (reference 3.9, 3.10): what callers see as an index.
struct LogicalIndex {
    std::u16string name;
    std::int32_t number = 0;             // identifies the index within the table; not its stored position
    std::uint32_t real_index = 0;        // position in the real-index list
    std::uint8_t relationship_role = 0;  // 1 primary ("one") side of a relationship, 2 foreign side
    std::uint8_t kind = 0;               // 0 ordinary, 1 primary key, 2 foreign key
};

struct TableDefinition {
    std::uint32_t first_page = 0;
    std::uint16_t variable_column_count = 0;
    std::vector<ColumnDescriptor> columns;  // in stored descriptor order
    std::vector<RealIndex> real_indexes;
    std::vector<LogicalIndex> logical_indexes;  // in stored order
    RowAddress owned_pages;                     // usage map of the table's data pages
};

// How much of a definition to build: all of it, or its shape alone (column and index names left empty, real
// index keys left out), which is all that counting a table's columns and indexes needs.
enum class DefinitionDetail { full, shape };

// Reads the definition that starts on page `first_page`; 3049 when it is not a definition or is damaged.
TableDefinition read_table_definition(const PageFile& file, std::uint32_t first_page,
                                      DefinitionDetail detail = DefinitionDetail::full);

// True when page `page` exists and starts a table definition (used to tell a cached ODBC definition apart).
bool is_table_definition_page(const PageFile& file, std::uint32_t page);

}  // namespace qz::jet

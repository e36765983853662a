#pragma once
// One row of a table decoded against its definition (reference 4.2 to 4.5): the null mask, Booleans, the
// fixed area and the variable-offset table of both generations, and the values the catalog reads.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/records/table_definition.hpp"

namespace qz::jet {

class Record {
  public:
    // Decodes the row layout; 3049 when the row's own structure is out of bounds. The long values read
    // through the record are taken from `long_value_budget`, shared by the rows read together.
    Record(const PageFile& file, const TableDefinition& table, RowBytes row,
           std::uint64_t& long_value_budget);

    // The stored bytes of a column; nullopt when the value is null (or the column is newer than the row).
    std::optional<std::span<const std::uint8_t>> bytes(const ColumnDescriptor& column) const;
    // A Boolean column's value: its null-mask bit.
    bool boolean(const ColumnDescriptor& column) const;
    // Whole numbers of the Byte, Integer and Long types.
    std::optional<std::int64_t> integer(const ColumnDescriptor& column) const;
    // Double and Date/Time values.
    std::optional<double> real(const ColumnDescriptor& column) const;
    // Text and Memo values.
    std::optional<std::u16string> text(const ColumnDescriptor& column) const;
    // OLE (and Memo) values as raw bytes, long values reassembled.
    std::optional<std::vector<std::uint8_t>> long_bytes(const ColumnDescriptor& column) const;

  private:
    bool has_bit(std::uint16_t column_number) const;

    const PageFile* file_;
    RowBytes row_;
    std::uint64_t* long_value_budget_;
    std::uint16_t row_columns_ = 0;
    std::span<const std::uint8_t> null_mask_;
    std::size_t data_start_ = 0;  // the fixed area starts after the column count
    std::size_t data_end_ = 0;    // fixed and variable values end before the offset table and null mask
    std::vector<std::size_t> variable_offsets_;  // V + 1 entries, the last one the end of the variable area
};

// The column named `name` (compared exactly); 3049 when the table has none, for the catalog tables whose
// columns every file has.
const ColumnDescriptor& required_column(const PageFile& file, const TableDefinition& table,
                                        std::u16string_view name);

}  // namespace qz::jet

#include "platform/reader/records/record.hpp"

#include <algorithm>

#include "platform/errors.hpp"
#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/records/column_type.hpp"
#include "platform/reader/records/long_value.hpp"
#include "platform/reader/records/text_value.hpp"
#include "platform/text/code_page.hpp"

namespace qz::jet {

Record::Record(const PageFile& file, const TableDefinition& table, RowBytes row,
               std::uint64_t& long_value_budget)
    : file_(&file), row_(std::move(row)), long_value_budget_(&long_value_budget) {
    const ByteView view(row_.bytes, file.path());
    const bool jet3 = file.format().jet3;
    const std::size_t length = row_.bytes.size();
    const std::size_t count_size = jet3 ? 1 : 2;
    view.require(length >= count_size, "a row is too short");
    row_columns_ = jet3 ? view.u8(0) : view.u16(0);
    const std::size_t mask_size = (row_columns_ + 7u) / 8u;
    view.require(length >= count_size + mask_size, "a row is shorter than its null mask");
    null_mask_ = row_.bytes.subspan(length - mask_size);
    data_start_ = count_size;
    data_end_ = length - mask_size;
    if (table.variable_column_count == 0) return;

    if (!jet3) {
        view.require(length >= mask_size + 4, "a row is too short for its variable columns");
        const std::size_t variable_count = view.u16(length - mask_size - 2);
        view.require(length >= count_size + mask_size + 4 + 2 * variable_count,
                     "a row claims more variable columns than it holds");
        const std::size_t table_start = length - mask_size - 4 - 2 * variable_count;
        variable_offsets_.reserve(variable_count + 1);
        for (std::size_t k = 0; k <= variable_count; ++k) {
            variable_offsets_.push_back(view.u16(length - mask_size - 4 - 2 * k));
        }
        data_end_ = table_start;
    } else {
        // Jet 3 keeps one-byte offsets and a jump table for rows longer than 255 bytes (reference 4.3).
        view.require(length >= mask_size + 2, "a row is too short for its variable columns");
        const std::size_t variable_count = view.u8(length - mask_size - 1);
        const std::size_t jumps = (length - 1) / 256;
        view.require(length >= mask_size + 2 + jumps + variable_count + count_size,
                     "a row claims more variable columns than it holds");
        const std::size_t last = length - mask_size - 2 - jumps;  // offset[0]
        const std::size_t table_start = last - variable_count;
        std::size_t usable_jumps = jumps;
        if (table_start / 256 < jumps) usable_jumps = jumps - 1;
        std::size_t used = 0;
        variable_offsets_.reserve(variable_count + 1);
        for (std::size_t k = 0; k <= variable_count; ++k) {
            while (used < usable_jumps && view.u8(last + jumps - used) == k) ++used;
            variable_offsets_.push_back(view.u8(last - k) + 256 * used);
        }
        data_end_ = table_start;
    }
    for (std::size_t k = 0; k + 1 < variable_offsets_.size(); ++k) {
        view.require(variable_offsets_[k] <= variable_offsets_[k + 1],
                     "the variable columns of a row are out of order");
    }
    // The variable area ends before the offset table that describes it.
    view.require(variable_offsets_.back() <= data_end_, "the variable columns of a row are out of place");
}

bool Record::has_bit(std::uint16_t column_number) const {
    if (column_number >= row_columns_) return false;
    return (null_mask_[column_number / 8u] & (1u << (column_number % 8u))) != 0;
}

bool Record::boolean(const ColumnDescriptor& column) const { return has_bit(column.number); }

std::optional<std::span<const std::uint8_t>> Record::bytes(const ColumnDescriptor& column) const {
    if (!has_bit(column.number)) return std::nullopt;
    const ByteView view(row_.bytes, file_->path());
    if (column.fixed_length()) {
        const std::size_t start = data_start_ + column.fixed_offset;
        view.require(start <= data_end_ && column.length <= data_end_ - start,
                     "a fixed column lies outside its row");
        return row_.bytes.subspan(start, column.length);
    }
    const std::size_t k = column.variable_index;
    if (k + 1 >= variable_offsets_.size()) return std::nullopt;
    return row_.bytes.subspan(variable_offsets_[k], variable_offsets_[k + 1] - variable_offsets_[k]);
}

std::optional<std::int64_t> Record::integer(const ColumnDescriptor& column) const {
    const auto value = bytes(column);
    if (!value) return std::nullopt;
    const ByteView view(*value, file_->path());
    switch (value->size()) {
        case 1:
            return view.u8(0);
        case 2:
            return view.i16(0);
        case 4:
            return view.i32(0);
        default:
            throw errors::database_damaged(file_->path(), "a number column has a wrong length");
    }
}

std::optional<double> Record::real(const ColumnDescriptor& column) const {
    const auto value = bytes(column);
    if (!value) return std::nullopt;
    return ByteView(*value, file_->path()).f64(0);
}

std::optional<std::u16string> Record::text(const ColumnDescriptor& column) const {
    if (column.type == file_type::memo) {
        const auto value = long_bytes(column);
        if (!value) return std::nullopt;
        return text_value(*value, file_->format().jet3, file_->format().code_page);
    }
    const auto value = bytes(column);
    if (!value) return std::nullopt;
    return text_value(*value, file_->format().jet3, file_->format().code_page);
}

std::optional<std::vector<std::uint8_t>> Record::long_bytes(const ColumnDescriptor& column) const {
    const auto value = bytes(column);
    if (!value) return std::nullopt;
    if (column.type != file_type::memo && column.type != file_type::ole)
        return std::vector<std::uint8_t>(value->begin(), value->end());
    return read_long_value(*file_, *value, *long_value_budget_);
}

const ColumnDescriptor& required_column(const PageFile& file, const TableDefinition& table,
                                        std::u16string_view name) {
    const auto found = std::find_if(table.columns.begin(), table.columns.end(),
                                    [&](const ColumnDescriptor& c) { return c.name == name; });
    if (found == table.columns.end()) {
        throw errors::database_damaged(file.path(),
                                       "a catalog table lacks the column " + text::utf16_to_utf8(name));
    }
    return *found;
}

}  // namespace qz::jet

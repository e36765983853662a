#include "platform/reader/records/table_scan.hpp"

#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/pages/usage_map.hpp"
#include "platform/reader/records/long_value.hpp"

namespace qz::jet {
namespace {

constexpr std::size_t owner_offset = 0x04;  // first TDEF page of the table owning a data page (2.2)

}  // namespace

void scan_table(const PageFile& file, const TableDefinition& table,
                const std::function<void(RowAddress slot, const Record& record)>& visit) {
    // The long values of all the rows fit in the file together, unless rows share them.
    std::uint64_t long_value_budget = long_value_capacity(file);
    for (const std::uint32_t number : usage_map_pages(file, table.owned_pages)) {
        const PageBytes page = file.page(number);
        // Usage maps may name pages of other tables; only this table's data pages count.
        if ((*page)[0] != data_page_type ||
            ByteView(*page, file.path()).u32(owner_offset) != table.first_page)
            continue;
        const std::uint16_t rows = data_page_row_count(file, *page);
        for (std::uint16_t row = 0; row < rows; ++row) {
            const RowAddress slot{number, static_cast<std::uint8_t>(row)};
            if (auto bytes = read_row(file, slot))
                visit(slot, Record(file, table, std::move(*bytes), long_value_budget));
        }
    }
}

}  // namespace qz::jet

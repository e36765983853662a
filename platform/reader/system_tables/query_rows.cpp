#include "platform/reader/system_tables/query_rows.hpp"

#include "platform/errors.hpp"
#include "platform/reader/records/record.hpp"
#include "platform/reader/records/table_scan.hpp"

namespace qz::jet {
namespace {

// Order is a binary sort key; the engine writes a 4-byte big-endian counter, which compares as a number.
std::int32_t order_key(const PageFile& file, const Record& record, const ColumnDescriptor& column) {
    const auto bytes = record.bytes(column);
    if (!bytes) return 0;
    if (bytes->size() > 4)
        throw errors::database_damaged(file.path(),
                                       "a saved query's row has an Order key longer than 4 bytes");
    std::uint32_t key = 0;
    for (const std::uint8_t b : *bytes) key = key << 8 | b;
    return static_cast<std::int32_t>(key);
}

}  // namespace

std::unordered_map<std::int32_t, std::vector<query::QueryRow>> read_query_rows(
    const PageFile& file, const TableDefinition& queries_table) {
    const auto& object_id = required_column(file, queries_table, u"ObjectId");
    const auto& attribute = required_column(file, queries_table, u"Attribute");
    const auto& order = required_column(file, queries_table, u"Order");
    const auto& name1 = required_column(file, queries_table, u"Name1");
    const auto& name2 = required_column(file, queries_table, u"Name2");
    const auto& expression = required_column(file, queries_table, u"Expression");
    const auto& flag = required_column(file, queries_table, u"Flag");
    std::unordered_map<std::int32_t, std::vector<query::QueryRow>> rows;
    scan_table(file, queries_table, [&](RowAddress, const Record& record) {
        query::QueryRow row;
        row.attribute = static_cast<std::int16_t>(record.integer(attribute).value_or(0));
        row.expression = record.text(expression).value_or(u"");
        row.flag = static_cast<std::int16_t>(record.integer(flag).value_or(0));
        row.name1 = record.text(name1).value_or(u"");
        row.name2 = record.text(name2).value_or(u"");
        row.object_id = static_cast<std::int32_t>(record.integer(object_id).value_or(0));
        row.order = order_key(file, record, order);
        rows[row.object_id].push_back(std::move(row));
    });
    return rows;
}

}  // namespace qz::jet

// Damage built page by page where a listing cannot reach it alone or where one bound is pinned to the byte:
// each gives 3049 (or the path's error), never a crash, a hang or unbounded memory. Damaged headers and
// catalogs are regression inputs (tests/fuzz_regressions/inputs/fuzz_database).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/reader/engine/indexed_collection.hpp"
#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/long_value.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/reader/records/table_scan.hpp"
#include "platform/reader/system_tables/catalog_objects.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::jet {
namespace {

using test::Bytes;
using test::error_number_of;
using test::put16;
using test::put32;

std::int32_t open_error(const std::u16string& path) {
    return error_number_of([&] { AccessFileEngine().OpenDatabase(path, false, true, u";pwd="); });
}

// Every read of file bytes is checked against its page: a read ending exactly at the end passes, one that
// ends a single byte past it is damage, not a read of the next page's first byte.
TEST(ByteView, ReadsEndingPastTheViewAreRefusedToTheByte) {
    const Bytes bytes(8, 0x11);
    const std::u16string path = u"/db/file.mdb";
    const ByteView view(bytes, path);
    EXPECT_EQ(view.u32(4), 0x11111111u);
    EXPECT_EQ(view.sub(8, 0).size(), 0u);
    for (const std::size_t at : {5u, 7u, 8u, 9u}) {
        EXPECT_EQ(error_number_of([&] { (void)view.u32(at); }), error_number::database_damaged) << "4 bytes at " << at << " of 8";
    }
    EXPECT_THROW((void)view.sub(7, 2), Error);
    EXPECT_THROW((void)view.u8(8), Error);
}

TEST(DamagedFile, ALongValueChainThatLoopsIsDetected) {
    // Page 3 holds one long-value chunk whose next pointer names itself.
    Bytes chunk(40, 0xAB);
    put32(chunk, 0, 3u << 8);
    const Bytes empty_page(4096, 0);
    test::TemporaryDatabase file({test::header_page(1), empty_page, empty_page, test::jet4_data_page(0, {chunk})});
    const PageFile pages(file.path(), u"");
    Bytes header(12, 0);
    put32(header, 0, 1000);     // declared length, chain kind (top bits clear)
    put32(header, 4, 3u << 8);  // first chunk: row 0 of page 3
    std::uint64_t budget = long_value_capacity(pages);
    EXPECT_EQ(error_number_of([&] { read_long_value(pages, header, budget); }),
              error_number::database_damaged);

    put32(header, 0, 0x3FFFFFFF);  // a length no catalog value has: refused before allocating it
    budget = long_value_capacity(pages);
    EXPECT_EQ(error_number_of([&] { read_long_value(pages, header, budget); }),
              error_number::database_damaged);
}

// Six pages (24576 bytes): a table whose rows are on page 3, named by the usage map on page 4, and one
// 3000-byte row on page 5 for the rows' long values to name.
std::vector<Bytes> one_page_table_file(const std::vector<Bytes>& rows) {
    const Bytes empty_page(4096, 0);
    const Bytes usage_map = {0x00, 0, 0, 0, 0, 0x08};  // inline map naming page 3
    return {test::header_page(1),
            empty_page,
            empty_page,
            test::jet4_data_page(9, rows),
            test::jet4_data_page(0, {usage_map}),
            test::jet4_data_page(0, {Bytes(3000, 'a')})};
}
TableDefinition one_page_table(std::vector<ColumnDescriptor> columns, std::uint16_t variable_columns) {
    TableDefinition table;
    table.first_page = 9;
    table.variable_column_count = variable_columns;
    table.owned_pages = {4, 0};
    table.columns = std::move(columns);
    return table;
}
// A header of `length` bytes of long value on one row: row 0 of page 5.
void put_long_value(Bytes& row, std::size_t at, std::uint32_t length) {
    put32(row, at, length | 0x40000000);
    put32(row, at + 4, 5u << 8);
}

TEST(DamagedFile, RowsSharingOneLongValueCannotMultiplyItPastTheFilesSize) {
    // Rows whose one Memo column each names the same 3000-byte long value: the file holds eight at most.
    Bytes row(21, 0);
    put16(row, 0, 1);  // columns in the row
    put_long_value(row, 2, 3000);
    put16(row, 14, 14);  // end of the variable area
    put16(row, 16, 2);   // the Memo's offset
    put16(row, 18, 1);   // variable columns
    row[20] = 0x01;      // null mask: the Memo is set
    const TableDefinition table = one_page_table({ColumnDescriptor{.name = u"m", .type = 0x0C}}, 1);
    for (const auto& [rows, expected] : std::vector<std::pair<std::size_t, std::int32_t>>{
             {8, 0}, {9, error_number::database_damaged}, {150, error_number::database_damaged}}) {
        test::TemporaryDatabase file(one_page_table_file(std::vector<Bytes>(rows, row)));
        const PageFile pages(file.path(), u"");
        const auto read_every_memo = [&] {
            scan_table(pages, table,
                       [&](RowAddress, const Record& record) { record.text(table.columns[0]); });
        };
        EXPECT_EQ(error_number_of(read_every_memo), expected) << rows << " rows";
    }
}

TEST(DamagedFile, CatalogRowsSharingAnIdOrMorePropertyBlobsThanTheFileHoldsAreRefused) {
    // Catalog rows holding only an Id and the 12-byte header of their property blob.
    std::vector<ColumnDescriptor> columns = {
        {.name = u"Id", .number = 0, .flags = 0x01, .length = 4},
        {.name = u"LvProp", .number = 1, .flags = 0x01, .fixed_offset = 4, .length = 12}};
    std::uint16_t number = 2;
    for (const char16_t* name : {u"ParentId", u"Name", u"Type", u"DateCreate", u"DateUpdate", u"Flags",
                                 u"Database", u"Connect", u"ForeignName"}) {
        columns.push_back({.name = name, .number = number++});
    }
    const TableDefinition table = one_page_table(columns, 0);
    const auto rows = [](std::vector<std::uint32_t> ids, std::uint32_t blob_length) {
        std::vector<Bytes> out;
        for (const std::uint32_t id : ids) {
            Bytes row(19, 0);
            put16(row, 0, 2);  // columns in the row
            put32(row, 2, id);
            put_long_value(row, 6, blob_length);
            row[18] = 0x03;  // null mask: both set
            out.push_back(row);
        }
        return out;
    };
    const std::vector<std::tuple<const char*, std::vector<Bytes>, std::int32_t>> cases = {
        {"blobs that fit the file", rows({1, 2, 3, 4, 5, 6, 7, 8}, 3000), 0},
        {"two objects of one id", rows({1, 2, 1}, 100), error_number::database_damaged},
        {"blobs declaring more than the file holds", rows({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3000),
         error_number::database_damaged},
    };
    for (const auto& [fault, catalog_rows, expected] : cases) {
        test::TemporaryDatabase file(one_page_table_file(catalog_rows));
        const PageFile pages(file.path(), u"");
        EXPECT_EQ(error_number_of([&] { read_catalog_objects(pages, table); }), expected) << fault;
    }
}

TEST(DamagedFile, RowPointersOutsideTheirPageAreRefused) {
    Bytes stub(4, 0);
    put32(stub, 0, 3u << 8);  // an overflow stub pointing at itself
    const Bytes empty_page(4096, 0);
    Bytes crowded = test::jet4_data_page(0, {});
    put16(crowded, 0x0C, 3000);  // more row entries than the page can hold
    test::TemporaryDatabase file({test::header_page(1), empty_page, empty_page,
                                              test::jet4_data_page(0, {stub}, 0x4000), crowded});
    const PageFile pages(file.path(), u"");
    // Overflow rows in a loop, a row the page does not hold, a page past the end, a row table larger than
    // its page, a page without rows.
    for (const RowAddress row : {RowAddress{3, 0}, RowAddress{3, 5}, RowAddress{99, 0}, RowAddress{4, 0}, RowAddress{1, 0}}) {
        EXPECT_EQ(error_number_of([&] { read_row(pages, row); }), error_number::database_damaged) << row.page << " " << int{row.row};
    }
}

TEST(DamagedFile, ACollectionPastSixteenBitPositionsIsRefusedNotCutShort) {
    const auto make = [](std::size_t) { return std::unique_ptr<engine::Property>(); };
    using Properties = IndexedCollection<engine::Property, decltype(make)>;
    const std::vector<std::pair<std::size_t, std::int32_t>> cases = {
        {32767, 0}, {32768, error_number::database_damaged}, {1u << 20, error_number::database_damaged}};
    for (const auto& [count, expected] : cases) {
        EXPECT_EQ(error_number_of([&] { Properties(count, make, u"x.mdb"); }), expected) << count;
    }
    EXPECT_EQ(Properties(32767, make, u"x.mdb").Count(), 32767);
}

TEST(DatabasePath, PathFaultsGiveTheEngineNumbersWithoutBlocking) {
    test::TemporaryDatabase file({test::header_page(1)});
    const std::filesystem::path folder = file.folder();
    const std::filesystem::path pipe = folder / "pipe.mdb";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(open_error((folder / "absent.mdb").u16string()), error_number::file_not_found);
    EXPECT_EQ(open_error((folder / "no-folder" / "absent.mdb").u16string()), error_number::invalid_path);
    EXPECT_EQ(open_error((folder / "file.mdb" / "x.mdb").u16string()), error_number::invalid_path);
    EXPECT_EQ(open_error((folder / "file.mdb").u16string() + u'\0' + u".accdb"), error_number::invalid_path)
        << "the part before a NUL names another file";
    EXPECT_EQ(open_error(folder.u16string()), error_number::cannot_open_file) << "a folder is no database";
    EXPECT_EQ(open_error(pipe.u16string()), error_number::cannot_open_file)
        << "a named pipe must not block the open";
    EXPECT_EQ(open_error(u"/dev/null"), error_number::cannot_open_file) << "a device is no database";
}

}  // namespace
}  // namespace qz::jet

// Damage built page by page where a listing cannot reach it alone or where one bound is pinned to the byte:
// each gives 3049 (or the path's error), never a crash, a hang or unbounded memory. Damage a listing reaches
// is a regression input (tests/fuzz_regressions/inputs/fuzz_database).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/reader/engine/indexed_collection.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/reader/records/table_scan.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::jet {
namespace {

using test::Bytes;
using test::error_number_of;
using test::put16;
using test::put32;
constexpr std::int32_t damaged = error_number::database_damaged;

TEST(DamagedFile, RowsSharingOneLongValueCannotMultiplyItPastTheFilesSize) {
    // Six pages (24576 bytes): rows on page 3, named by the usage map on page 4, whose one Memo column each
    // names the same 3000-byte long value, row 0 of page 5: the file holds eight at most.
    Bytes row(21, 0);
    put16(row, 0, 1);                                  // columns in the row
    put32(row, 2, 3000 | 0x40000000);                  // a long value of 3000 bytes on one row
    put32(row, 6, 5u << 8);                            // that row: row 0 of page 5
    put16(row, 14, 14);                                // end of the variable area
    put16(row, 16, 2);                                 // the Memo's offset
    put16(row, 18, 1);                                 // variable columns
    row[20] = 0x01;                                    // null mask: the Memo is set
    const Bytes usage_map = {0x00, 0, 0, 0, 0, 0x08};  // inline map naming page 3
    TableDefinition table;
    table.first_page = 9;
    table.variable_column_count = 1;
    table.owned_pages = {4, 0};
    table.columns = {ColumnDescriptor{.name = u"m", .type = 0x0C}};
    const std::pair<std::size_t, std::int32_t> cases[] = {{8, 0}, {9, damaged}};
    for (const auto& [rows, expected] : cases) {
        test::TemporaryDatabase file({test::header_page(1), Bytes(4096, 0), Bytes(4096, 0),
                                      test::jet4_data_page(9, std::vector<Bytes>(rows, row)),
                                      test::jet4_data_page(0, {usage_map}),
                                      test::jet4_data_page(0, {Bytes(3000, 'a')})});
        const PageFile pages(file.path(), u"");
        const auto read_every_memo = [&] {
            scan_table(pages, table,
                       [&](RowAddress, const Record& record) { record.text(table.columns[0]); });
        };
        EXPECT_EQ(error_number_of(read_every_memo), expected) << rows << " rows";
    }
}

TEST(DamagedFile, ACollectionPastSixteenBitPositionsIsRefusedNotCutShort) {
    const auto make = [](std::size_t) { return std::unique_ptr<engine::Property>(); };
    using Properties = IndexedCollection<engine::Property, decltype(make)>;
    EXPECT_EQ(Properties(32767, make, u"x.mdb").Count(), 32767);
    EXPECT_EQ(error_number_of([&] { Properties(32768, make, u"x.mdb"); }), damaged);
}

TEST(DatabasePath, PathFaultsGiveTheEngineNumbersWithoutBlocking) {
    test::TemporaryDatabase file({test::header_page(1)});
    const std::filesystem::path folder = file.folder.path();
    const std::filesystem::path pipe = folder / "pipe.mdb";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto open_error = [](const std::u16string& path) {
        return error_number_of([&] { AccessFileEngine().OpenDatabase(path, false, true, u";pwd="); });
    };
    EXPECT_EQ(open_error((folder / "file.mdb" / "x.mdb").u16string()), error_number::invalid_path);
    EXPECT_EQ(open_error((folder / "file.mdb").u16string() + u'\0' + u".accdb"), error_number::invalid_path)
        << "the part before a NUL names another file";
    EXPECT_EQ(open_error(folder.u16string()), error_number::cannot_open_file) << "a folder is no database";
    EXPECT_EQ(open_error(pipe.u16string()), error_number::cannot_open_file)
        << "a named pipe must not block the open";
}

}  // namespace
}  // namespace qz::jet

// Row layouts, usage maps and text encodings the writer does not make: a Jet 3 row long enough for a real
// jump-table entry, reference usage maps, and compressed text switching back to UTF-16.

#include <gtest/gtest.h>

#include "platform/error.hpp"
#include "platform/reader/pages/usage_map.hpp"
#include "platform/reader/records/record.hpp"
#include "platform/reader/records/text_value.hpp"
#include "platform/text/code_page.hpp"
#include "reader/reader_test_files.hpp"

namespace qz::jet {
namespace {

using test::Bytes;

RowBytes row_of(const Bytes& bytes) { return RowBytes{nullptr, std::span<const std::uint8_t>(bytes)}; }

TEST(RecordLayout, Jet3JumpTableMovesOffsetsPast255) {
    // Two variable text columns of 200 and 100 bytes: the end of the variable area lies at 301, so one jump
    // entry (naming the end-of-data entry, column 2) adds 256 to its stored offset byte 45.
    Bytes row(307, 0);
    row[0] = 2;  // columns in the row
    std::fill(row.begin() + 1, row.begin() + 201, 'a');
    std::fill(row.begin() + 201, row.begin() + 301, 'b');
    row[301] = 45;    // offset[2]: end of data, 301 - 256
    row[302] = 201;   // offset[1]
    row[303] = 1;     // offset[0]
    row[304] = 2;     // jump[0]: the first entry at or past 256 is entry 2
    row[305] = 2;     // variable columns in the row
    row[306] = 0x03;  // null mask: both present
    test::TemporaryDatabase file({test::header_page(0)});
    const PageFile pages(file.path(), u"");
    TableDefinition table;
    table.variable_column_count = 2;
    std::uint64_t no_long_values = 0;
    const Record record(pages, table, row_of(row), no_long_values);
    EXPECT_EQ(record.text({.name = u"a", .type = 0x0A, .flags = 0x02}), std::u16string(200, u'a'));
    EXPECT_EQ(record.text({.name = u"b", .type = 0x0A, .number = 1, .variable_index = 1, .flags = 0x02}),
              std::u16string(100, u'b'));
}

TEST(RecordLayout, Jet4FixedVariableBooleanAndColumnsNewerThanTheRow) {
    const Bytes row = {3,    0,                    // columns in the row
                       42,   0,    0,   0,         // fixed Long
                       0xFF, 0xFE, 'a', 'b', 'c',  // compressed text
                       11,   0,    6,   0,         // offset[1] (end of data), offset[0]
                       1,    0,                    // variable columns in the row
                       0x07};                      // null mask: columns 0, 1 and 2 set
    test::TemporaryDatabase file({test::header_page(1)});
    const PageFile pages(file.path(), u"");
    TableDefinition table;
    table.variable_column_count = 1;
    std::uint64_t no_long_values = 0;
    const Record record(pages, table, row_of(row), no_long_values);
    EXPECT_EQ(record.integer({.name = u"long", .type = 0x04, .flags = 0x03, .length = 4}), 42);
    EXPECT_EQ(record.text({.name = u"text", .type = 0x0A, .number = 1, .flags = 0x02}), u"abc");
    EXPECT_TRUE(record.boolean({.name = u"yes_no", .type = 0x01, .number = 2, .flags = 0x03}))
        << "a Boolean is its null-mask bit";
    EXPECT_FALSE(record.bytes({.name = u"newer", .type = 0x04, .number = 9, .flags = 0x03, .length = 4}))
        << "a column added after the row was written is null";
    EXPECT_FALSE(
        record.bytes({.name = u"unstored", .type = 0x0A, .number = 2, .variable_index = 3, .flags = 0x02}))
        << "a variable column the row does not store is null";

    Bytes overlapping = row;
    overlapping[13] = 12;  // offset[0] after offset[1]
    EXPECT_THROW(Record(pages, table, row_of(overlapping), no_long_values), qz::Error);
}

TEST(UsageMap, InlineAndReferenceMapsNameTheirPagesAndAPagePastTheEndIsDamage) {
    const Bytes inline_map = {0x00, 2, 0, 0, 0, 0b00000101};    // pages 2 and 4
    const Bytes past_the_end = {0x00, 2, 0, 0, 0, 0b00100101};  // and page 7, just past the end
    const Bytes reference_map = {0x01, 6, 0, 0, 0};             // one bitmap page: page 6
    Bytes map_page(4096, 0);
    map_page[0] = 0x05;
    map_page[1] = 0x01;
    map_page[4] = 0b00011000;  // pages 3 and 4
    const Bytes empty_page(4096, 0);
    test::TemporaryDatabase file({test::header_page(1), empty_page, empty_page,
                                  test::jet4_data_page(0, {inline_map, past_the_end, reference_map}),
                                  empty_page, empty_page, map_page});
    const PageFile pages(file.path(), u"");
    EXPECT_EQ(usage_map_pages(pages, {3, 0}), (std::vector<std::uint32_t>{2, 4}));
    EXPECT_EQ(usage_map_pages(pages, {3, 2}), (std::vector<std::uint32_t>{3, 4}));
    EXPECT_THROW(usage_map_pages(pages, {3, 1}), Error);
}

TEST(TextValue, CompressedTextSwitchesToUtf16AndBack) {
    const Bytes compressed = {0xFF, 0xFE, 'a', 0x00, 0x42, 0x30, 0x3D, 0xD8, 0x11, 0xDD, 0x00, 'b'};
    EXPECT_EQ(text_value(compressed, false, 1252), u"a\u3042\U0001F511b");
    EXPECT_EQ(text_value(Bytes{'A', 0, 'B'}, false, 1252), u"A") << "an odd trailing byte is dropped";
    EXPECT_EQ(text_value(Bytes{0xFF, 0xFE, 0x00, 0x42}, false, 1252), u"")
        << "a truncated pair ends the text";
    EXPECT_EQ(text_value(Bytes{'S', 0xE3, 'o'}, true, 1252), u"São") << "Jet 3 text is in the code page";
}

}  // namespace
}  // namespace qz::jet

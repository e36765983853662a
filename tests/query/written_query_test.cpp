// A saved query of a written database, compiled against the file's own catalog: the names it holds find the
// tables and fields they name in any letter case, and its fields carry the sort order of the file's header.

#include <gtest/gtest.h>

#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/text/code_page.hpp"
#include "support/written_database.hpp"

namespace qz {
namespace {

TEST(WrittenQuery, NamesMatchInAnyLetterCaseAndFieldsTakeTheFilesSortOrder) {
    // Ēnạ, Νερός, Москва, Œuvre, Łódź, Արամ with a fullwidth A and a Deseret letter past the first
    // plane in Água, named in other letter cases by the query.
    const std::u16string names[] = {u"\u0112n\u1EA1", u"\u039D\u03B5\u03C1\u03CC\u03C2",
                                    u"\u041C\u043E\u0441\u043A\u0432\u0430", u"\u0152uvre",
                                    u"\u0141\u00F3d\u017A", u"\u0531\u0580\u0561\u0574\uFF21\U00010400"};
    writer::Table table{.name = u"\u00C1gua"};
    for (const std::u16string& name : names)
        table.columns.push_back(test::column(name, writer::ColumnType::long_integer));
    writer::Schema schema = test::schema_of(writer::Format::jet4, {table});
    schema.queries = {
        writer::Query::select(u"Q", {u"\u00E1GUA"},
                              {u"[\u00E1gua].[\u0113N\u1EA0]", u"[\u039D\u0395\u03A1\u038C\u03A3]",
                               u"[\u043C\u041E\u0421\u041A\u0412\u0410]", u"[\u0153UVRE]",
                               u"[\u0142\u00D3D\u0179]", u"[\u0561\u0550\u0531\u0544\uFF41\U00010428]",
                               u"[Ena]", u"[\u0113n\u1EA1] * 2"})};
    std::vector<std::uint8_t> bytes = writer::build_database(schema);
    // Sort order 1053 in place of the writer's 1033 (0x0409): the header is stored masked, and flipping a
    // stored bit flips the same bit of the value.
    bytes.at(0x6E) ^= 0x09 ^ 0x1D;
    const test::TempFolder folder;
    const auto path = folder.write("sorted.mdb", std::string(bytes.begin(), bytes.end()));

    qz_cls_odbc_access session;
    session.connect(path.u16string(), u"", u"", u"|", u";", u"=");
    // Each field as the table has it; an accent is no letter case, so [Ena] is a parameter.
    const std::pair<std::u16string, std::u16string> expected[] = {
        {names[0], u"long"}, {names[1], u"long"},    {names[2], u"long"},    {names[3], u"long"},
        {names[4], u"long"}, {names[5], u"long"},    {u"Expr1000", u"text"}, {u"Expr1001", u"long"},
    };
    const std::u16string listing = session.get_fields_query(u"Q");
    std::size_t start = 0;
    for (const auto& [name, type] : expected) {
        const std::u16string record = listing.substr(start, listing.find(u'|', start) - start);
        start += record.size() + 1;
        EXPECT_TRUE(record.starts_with(u"name=" + name + u";")) << text::utf16_to_utf8(record);
        EXPECT_NE(record.find(u";type=" + type + u";collating_order=1053;"), std::u16string::npos)
            << text::utf16_to_utf8(record);
    }
    EXPECT_EQ(start, listing.size() + 1) << text::utf16_to_utf8(listing);
}

}  // namespace
}  // namespace qz

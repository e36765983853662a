// The saved queries of the jackcess queryTest databases (the same rows in every format generation), with
// their rows as the reader hands them over, resolved against those databases' three tables.

#include <gtest/gtest.h>

#include "platform/query/query_fields.hpp"
#include "query_models.hpp"

namespace qz::query::test {
namespace {

constexpr std::int32_t id = -2147483639;

QueryRow row(std::int16_t attribute, std::int16_t flag, std::u16string name1, std::u16string name2,
             std::u16string expression, std::int32_t order = 1) {
    return QueryRow{attribute, std::move(expression), flag, std::move(name1), std::move(name2), id, order};
}

// Start and end rows; the end row's byte read as signed, and stored before the others as in the files.
std::vector<QueryRow> framed(std::vector<QueryRow> rows) {
    rows.insert(rows.begin(), {row(0, 0, u"", u"", u""), row(-1, 0, u"", u"", u"")});
    return rows;
}

MemoryCatalog query_test_catalog() {
    MemoryCatalog catalog;
    for (const char16_t* table : {u"Table1", u"Table2", u"Table3"}) {
        catalog.add_table(table, {text_field(u"col1"), text_field(u"col2"), text_field(u"col3")});
    }
    return catalog;
}

struct Expected {
    std::vector<std::u16string> names;
    std::vector<std::int16_t> types;
    std::vector<std::int32_t> attributes;
};

void expect_fields(const std::u16string& query, const std::vector<QueryRow>& rows, const Expected& expected) {
    const MemoryCatalog catalog = query_test_catalog();
    const auto fields = resolve_query_fields(query, rows, catalog);
    EXPECT_EQ(names_of(fields), expected.names);
    std::vector<std::int16_t> types;
    std::vector<std::int32_t> attributes;
    for (const FieldDescription& field : fields) {
        types.push_back(field.type);
        attributes.push_back(field.attributes);
    }
    EXPECT_EQ(types, expected.types);
    EXPECT_EQ(attributes, expected.attributes);
}

TEST(QueryTestDatabase, SelectQueryQualifiesTheFieldNamesItsTablesShare) {
    expect_fields(u"SelectQuery",
                  framed({row(1, 1, u"", u"", u""), row(3, 2, u"", u"", u""), row(5, 0, u"Table1", u"", u""),
                          row(5, 0, u"Table2", u"", u"", 2), row(5, 0, u"Table3", u"", u"", 3),
                          row(6, 0, u"", u"", u"Table1.*"), row(6, 0, u"", u"", u"Table2.col1", 2),
                          row(6, 0, u"", u"", u"Table2.col2", 3), row(6, 0, u"", u"", u"Table3.col3", 4),
                          row(7, 2, u"Table1", u"Table3", u"Table1.col1 = Table3.col1"),
                          row(7, 1, u"Table3", u"Table2", u"Table3.col1 = Table2.col1", 2),
                          row(7, 1, u"Table3", u"Table2", u"Table3.col1 = Table2.col2", 3),
                          row(11, 0, u"", u"", u"Table2.col1"),
                          row(8, 0, u"", u"", u"(((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))")}),
                  {{u"Table1.col1", u"Table1.col2", u"Table1.col3", u"Table2.col1", u"Table2.col2", u"Table3.col3"},
                   {10, 10, 10, 10, 10, 10},
                   {2, 2, 2, 2, 2, 2}});
}

TEST(QueryTestDatabase, CrosstabWithoutFixedPivotListHasItsRowHeadingsOnly) {
    expect_fields(
        u"CrosstabQuery",
        framed({row(1, 6, u"", u"", u""), row(5, 0, u"Table1", u"", u""), row(5, 0, u"Table2", u"", u"", 2),
                row(5, 0, u"Table2", u"Table2_1", u"", 3), row(6, 0, u"CountOfcol2", u"", u"Count([Table2].[col2])"),
                row(6, 2, u"", u"", u"Table2_1.col1", 2), row(6, 2, u"", u"", u"[Table2].[col3]", 3),
                row(6, 2, u"AvgOfcol2", u"", u"Avg(Table2_1.col2)", 4), row(6, 1, u"", u"", u"[Table1].[col1]", 5),
                row(7, 1, u"Table1", u"Table2", u"[Table1].[col1]=[Table2].[col1]"),
                row(7, 1, u"Table2", u"Table2_1", u"[Table2].[col1]=Table2_1.col3", 2),
                row(8, 0, u"", u"",
                    u"((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And ((Avg(Table2_1.col2))>\"10\"))"),
                row(9, 2, u"", u"", u"Table2_1.col1"), row(9, 2, u"", u"", u"[Table2].[col3]", 2),
                row(9, 1, u"", u"", u"[Table1].[col1]", 3), row(11, 0, u"", u"", u"[Table2].[col3]")}),
        {{u"col1", u"col3", u"AvgOfcol2"}, {10, 10, 7}, {2, 2, 1}});
}

// The union's parts name their tables without a FROM clause, so the engine takes those names for
// parameters: text columns named as unnamed expressions.
TEST(QueryTestDatabase, UnionTakesTheColumnsOfItsFirstSelect) {
    expect_fields(u"UnionQuery",
                  framed({row(5, 0, u"", u"X7YZ_____1",
                              u"Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\n"
                              u"Select Table2.col1, Table2.col2\r\n"),
                          row(1, 9, u"", u"", u""),
                          row(5, 0, u"", u"X7YZ_____2", u"Select Table3.col1, Table3.col2\r\nwhere Table3.col3 > \"blah\"", 2),
                          row(3, 1, u"", u"", u"")}),
                  {{u"Expr1000", u"Expr1001"}, {10, 10}, {2, 2}});
}

TEST(QueryTestDatabase, ActionDefinitionAndPassThroughQueriesHaveNoFields) {
    const std::vector<std::pair<std::u16string, std::vector<QueryRow>>> queries = {
        {u"AppendQuery", framed({row(1, 3, u"Table3", u"", u""), row(5, 0, u"Table3", u"", u""),
                                 row(5, 0, u"Table1", u"", u"", 2), row(5, 0, u"Table2", u"", u"", 3),
                                 row(6, 0, u"", u"col2", u"[Table1].[col2]"), row(6, 0, u"", u"col2", u"[Table2].[col2]", 2),
                                 row(6, 0, u"", u"col3", u"[Table2].[col3]", 3),
                                 row(7, 1, u"Table1", u"Table2", u"[Table1].[col1]=[Table2].[col1]")})},
        {u"DataDefinitionQuery",
         framed({row(1, 7, u"", u"", std::u16string(u"CREATE TABLE Table5 (col1 CHAR, col2 CHAR);") + u'\0')})},
        {u"DeleteQuery", framed({row(1, 5, u"", u"", u""), row(3, 0, u"", u"", u""), row(5, 0, u"Table1", u"", u""),
                                 row(6, 0, u"", u"", u"Table1.col1"), row(6, 0, u"", u"", u"Table1.col2", 2),
                                 row(6, 0, u"", u"", u"Table1.col3", 3), row(8, 0, u"", u"", u"(((Table1.col1)>\"blah\"))")})},
        {u"MakeTableQuery", framed({row(1, 2, u"Table4", u"", u""), row(3, 0, u"", u"", u""),
                                    row(5, 0, u"Table2", u"", u""), row(6, 0, u"MaxOfcol1", u"", u"Max(Table2.col1)")})},
        {u"PassthroughQuery",
         framed({row(1, 8, u"ODBC;", u"", std::u16string(u"ALTER TABLE Table4 DROP COLUMN col5;") + u'\0')})},
        {u"UpdateQuery", framed({row(1, 4, u"", u"", u""), row(3, 0, u"", u"", u""), row(5, 0, u"Table1", u"", u""),
                                 row(6, 0, u"", u"Table1.col1", u"\"foo\""),
                                 row(6, 0, u"", u"[Table2].[col1]", u"[User Name]", 3),
                                 row(8, 0, u"", u"", u"((([Table2].[col1]) Is Not Null))"),
                                 row(2, 10, u"User Name", u"", u"")})},
    };
    for (const auto& [name, rows] : queries) expect_fields(name, rows, {});
}

}  // namespace
}  // namespace qz::query::test

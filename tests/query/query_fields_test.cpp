// A saved query's fields compiled from its rows against a catalog described in memory, as the file reader
// would hand them over.

#include "platform/query/query_fields.hpp"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "fuzz_regressions/query_input.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace qz::query {
namespace {

std::u16string numbered(const char16_t* prefix, int number) { return prefix + ascii(std::to_string(number)); }

// Builds the MSysQueries rows of one query, numbering each kind of row in the order it is added; handed
// over in the reverse of that order, as a scan may meet them.
class Rows {
public:
    explicit Rows(std::int16_t type_code = 1) { add(1, type_code); }

    Rows& flags(std::int16_t flags) { return add(3, flags); }
    Rows& parameter(const std::u16string& name, std::int16_t type) { return add(2, type, name); }
    Rows& input(const std::u16string& name, const std::u16string& alias = u"") { return add(5, 0, name, alias); }
    Rows& nested_input(const std::u16string& sql, const std::u16string& alias) { return add(5, 0, u"", alias, sql); }
    Rows& union_part(const std::u16string& sql, int part) { return add(5, 0, u"", numbered(u"X7YZ_____", part), sql); }
    Rows& column(const std::u16string& expression, const std::u16string& alias = u"", std::int16_t flag = 0) {
        return add(6, flag, alias, u"", expression);
    }
    Rows& group_by(const std::u16string& expression, std::int16_t flag) { return add(9, flag, u"", u"", expression); }

    operator std::vector<QueryRow>() const { return {rows_.rbegin(), rows_.rend()}; }

private:
    Rows& add(std::int16_t attribute, std::int16_t flag, const std::u16string& name1 = u"",
              const std::u16string& name2 = u"", const std::u16string& expression = u"") {
        rows_.push_back(QueryRow{attribute, expression, flag, name1, name2, 7, ++counts_[attribute]});
        return *this;
    }

    std::vector<QueryRow> rows_;
    std::map<std::int16_t, std::int32_t> counts_;
};

// A table with one field of every numeric, date and text kind, and queries over it.
InputCatalog catalog() {
    InputCatalog c("table|T\nfield|yn|1|1|1\nfield|b|2|1|1\nfield|i|3|2|1\nfield|l|4|4|1\nfield|c|5|8|1\n"
                   "field|s|6|4|1\nfield|d|7|8|1\nfield|dt|8|8|1\nfield|t|10|50|2\nfield|m|12|0|2\n"
                   "field|n|20|16|1\nfield|big|16|8|1\nfield|ID|4|4|17\ntable|A\nfield|x|10|50|2\nfield|n|4|4|1\n"
                   "table|B\nfield|x|10|50|2\nfield|y|10|50|2\ntable|Z\nfield|z|10|50|2\nfield|a|10|50|2\n");
    c.add_query(u"Inner", Rows().input(u"T").column(u"T.ID").column(u"t", u"Label"));
    c.add_query(u"Unique", Rows().flags(2).input(u"T").column(u"T.t"));
    c.add_query(u"Broken", Rows().input(u"Gone").column(u"Gone.a"));
    c.add_query(u"Circle", Rows().input(u"Round").column(u"Round.x"));
    c.add_query(u"Round", Rows().input(u"circle").column(u"x"));
    return c;
}

// A wrong rule shows as a computed column of the wrong type or size.
TEST(QueryFields, ComputedColumnsFollowTheEngineTypingRules) {
    const std::tuple<const char16_t*, std::int16_t, std::int32_t> cases[] = {  // expression, type, size
        // aggregates
        {u"Count(*)", 4, 4}, {u"Sum(i)", 4, 4}, {u"Sum(s)", 7, 8}, {u"Sum(c)", 5, 8}, {u"Sum(n)", 20, 16},
        {u"Avg(i)", 7, 8}, {u"Avg(c)", 5, 8}, {u"Min(t)", 10, 50}, {u"StDev(l)", 7, 8}, {u"sum([T].[i])", 4, 4},
        // concatenation and choice
        {u"t & i", 10, 255}, {u"IIf(yn, i, l)", 4, 4}, {u"IIf(yn, i, d)", 7, 8}, {u"IIf(yn, t, i)", 10, 255},
        {u"IIf(yn, dt, Null)", 8, 8}, {u"IIf(yn, t, m)", 12, 0}, {u"Nz(i, 0)", 4, 4}, {u"Left$(t, 2)", 10, 255},
        {u"Len(t)", 4, 4}, {u"CInt(t)", 3, 2}, {u"CCur(d)", 5, 8},
        // dates
        {u"Now()", 8, 8}, {u"DateAdd(\"d\", 1, dt)", 8, 8}, {u"Year(dt)", 3, 2}, {u"DateDiff(\"d\", dt, Now())", 4, 4},
        {u"#1/1/2000#", 8, 8}, {u"dt + 1", 8, 8}, {u"dt - dt", 7, 8},
        // arithmetic widening
        {u"i + b", 3, 2}, {u"i + l", 4, 4}, {u"l * s", 6, 4}, {u"s - d", 7, 8}, {u"c + i", 5, 8}, {u"c * d", 7, 8},
        {u"i / i", 7, 8}, {u"l \\ i", 4, 4}, {u"l Mod i", 4, 4}, {u"i ^ 2", 7, 8}, {u"n + l", 20, 16},
        {u"big + l", 16, 8}, {u"-b", 3, 2}, {u"yn + yn", 3, 2}, {u"t + t", 10, 255}, {u"t + i", 7, 8},
        {u"(i + l) * 2", 4, 4}, {u"1", 4, 4}, {u"1.5", 7, 8}, {u"\"x\"", 10, 255}, {u"Twice + 0.5", 7, 8},
        // conditions and subqueries
        {u"i = 1", 1, 1}, {u"t Like \"a*\"", 1, 1}, {u"Not yn", 1, 1}, {u"l Between 1 And 2", 1, 1},
        {u"t Not In (\"a\", \"b\")", 1, 1}, {u"t Is Not Null", 1, 1}, {u"yn Xor yn Eqv yn Imp yn", 1, 1},
        {u"(SELECT Max(d) FROM T)", 7, 8}, {u"Exists (SELECT * FROM T WHERE l > 1)", 1, 1},
        // parameters: as declared, else text
        {u"[Start Date]", 8, 8}, {u"[Forms]![F]![Count]", 4, 4}, {u"[Undeclared]", 10, 255}, {u"T.NoSuchField", 10, 255},
    };
    const InputCatalog c = catalog();
    for (const auto& [expression, type, size] : cases) {
        const auto fields = resolve_query_fields(u"Q", Rows().parameter(u"[Start Date]", 8).parameter(u"Forms!F!Count", 4)
                                                           .input(u"T").column(u"l * 2", u"Twice").column(expression, u"x"), c);
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_EQ(fields[1].type, type) << text::utf16_to_utf8(expression);
        EXPECT_EQ(fields[1].size, size) << text::utf16_to_utf8(expression);
    }
}

TEST(QueryFields, NamesAndUpdatabilityFollowTheQueryKind) {
    struct Case {
        const char* what;
        std::vector<QueryRow> rows;
        std::u16string names;       // joined by blanks
        std::int32_t attributes;  // of the first field; -1 when there is none
    };
    const Case cases[] = {
        {"plain select", Rows().input(u"T").column(u"T.t").column(u"ID + 1").column(u"t & t", u"Both").column(u"l * 2"),
         u"t Expr1000 Both Expr1001", 34},
        {"a computed number", Rows().input(u"T").column(u"ID + 1"), u"Expr1000", 1},
        {"DISTINCT", Rows().flags(2).input(u"T").column(u"T.t"), u"t", 2},
        {"DISTINCTROW keeps the source rows", Rows().flags(8).input(u"T").column(u"T.t"), u"t", 34},
        {"grouped", Rows().input(u"T").column(u"T.t").group_by(u"T.t", 0), u"t", 2},
        {"aggregate", Rows().input(u"T").column(u"T.t").column(u"Count(*)", u"n"), u"t n", 2},
        {"same name from two tables", Rows().input(u"A").input(u"B", u"b2").column(u"A.*").column(u"b2.x").column(u"b2.y"),
         u"A.x n b2.x y", 34},
        {"select-all flag", Rows().flags(1).input(u"Z").input(u"A"), u"z a x n", 34},
        {"nested queries pass fields through once", Rows().input(u"Inner", u"i").column(u"i.*"), u"ID Label", 49},
        {"a field behind DISTINCT stays read-only", Rows().input(u"Unique").column(u"Unique.t"), u"t", 2},
        {"nested select under its alias",
         Rows().parameter(u"__ID", 0).flags(9).nested_input(
             u"SELECT [T].ID, [T].t FROM [T] LEFT JOIN A ON A.n = T.ID WHERE T.l > [__ID] ORDER BY 1", u"L"),
         u"ID t", 49},
        {"union: the first select's fields",
         Rows(9).flags(3).union_part(u"PARAMETERS [p] Long; SELECT TOP 5 A.x, n AS Number FROM (A INNER JOIN B "
                                     u"b2 ON A.x = b2.x) WHERE n > 1E+2 AND A.x <> 'it''s' AND n In (SELECT n FROM A) "
                                     u"UNION SELECT DISTINCT y, 1 FROM B IN 'other.mdb' GROUP BY y HAVING Count(*) > 0", 1)
             .union_part(u"SELECT y, 2 FROM B ORDER BY 1", 2),
         u"x Number", 2},
        {"crosstab: row headings, then the fixed pivot values",
         Rows(6).input(u"T").column(u"Sum(c)", u"Total", 0).column(u"T.t", u"", 2)
             .column(u"Year(dt) In (2001, 2002, \"Later\")", u"", 1).group_by(u"T.t", 2).group_by(u"Year(dt)", 1),
         u"t 2001 2002 Later", 2},
        {"crosstab without a list", Rows(6).input(u"T").column(u"Count(l)", u"", 0).column(u"T.t", u"", 2)
             .column(u"T.i", u"", 1), u"t", 2},
    };
    const InputCatalog c = catalog();
    for (const Case& k : cases) {
        const auto fields = resolve_query_fields(u"Q", k.rows, c);
        std::u16string names;
        for (const FieldDescription& f : fields) names += (names.empty() ? u"" : u" ") + f.name;
        EXPECT_EQ(names, k.names) << k.what;
        EXPECT_EQ(fields.empty() ? -1 : fields[0].attributes, k.attributes) << k.what;
    }
    for (const int kind : {2, 3, 4, 5, 7, 8}) {  // action, definition and pass-through: no fields, inputs unread
        EXPECT_TRUE(resolve_query_fields(u"Q", Rows(static_cast<std::int16_t>(kind)).input(u"Missing").column(u"Missing.a"), c)
                        .empty()) << kind;
    }
}

TEST(QueryFields, FailuresGiveTheEngineNumberAndNameWhatFailed) {
    InputCatalog c = catalog();
    const auto inputs = [](int count, bool nested) {  // `count` inputs, or a nested select of one more
        std::u16string from = u"T AS t0";
        Rows rows;
        for (int i = 0; i < count; ++i) {
            rows.input(u"T", numbered(u"t", i));
            from += u", T AS " + numbered(u"t", i + 1);
        }
        return nested ? Rows().nested_input(u"SELECT t0.t FROM " + from, u"x").column(u"t") : rows.column(u"t0.t");
    };
    struct Case {
        std::u16string name;
        std::vector<QueryRow> rows;
        std::int32_t number;
        std::u16string description;  // a part of it
    };
    const Case cases[] = {
        {u"Q", Rows().input(u"A").input(u"B").column(u"x"), 3079, u"'x' could refer"},
        {u"Circle", *c.query_rows(u"Circle"), 3103, u"caused by 'Circle'."},
        {u"Self", Rows().input(u"Self").column(u"x"), 3103, u"'Self'"},
        {u"Q", inputs(32, false), 0, u""},
        {u"Q", inputs(33, false), 3360, u"'Q'"},
        {u"Q", inputs(32, true), 3360, u"'Q'"},
        {u"Q", Rows().input(u"T").column(u"Frobnicate(l)"), 3085, u"'Frobnicate' in expression of query 'Q'."},
        {u"Q", Rows().input(u"Nowhere").column(u"a"), 3078, u"The input table or query 'Nowhere' cannot be found."},
        {u"Q", Rows().input(u"Broken").column(u"a"), 3078, u"'Gone' cannot"},
        {u"Q", Rows().input(u"T").column(u"Other.*"), 3078, u"'Other'"},
        {u"Q", Rows().input(u"T").column(u"l +"), 3075, u"'l +' of query 'Q'."},
        {u"Q", Rows(9).union_part(u"SELECT FROM", 1), 3075, u"of query 'Q'."},
    };
    c.add_query(u"Self", cases[2].rows);
    for (const Case& k : cases) {
        try {
            resolve_query_fields(k.name, k.rows, c);
            EXPECT_EQ(k.number, 0) << text::utf16_to_utf8(k.description);
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), k.number) << text::utf16_to_utf8(error.description());
            EXPECT_NE(error.description().find(k.description), std::u16string::npos)
                << text::utf16_to_utf8(error.description());
        }
    }
}

// Counts the saved queries looked up, each of which is then compiled.
class CountingCatalog : public InputCatalog {
public:
    using InputCatalog::InputCatalog;
    std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const override {
        ++lookups;
        return InputCatalog::query_rows(name);
    }
    mutable int lookups = 0;
};

TEST(QueryFields, QueriesCompiledBeforeAreReusedAndFailDeeperAsTheFirstTime) {
    // Q0 on Q1 ... on Q54 on T, compiled from the bottom up: Q4 and those above it nest too deep, as they do
    // when compiled first. Each query is looked up here, and the five that fail compile the chain below them
    // afresh; were none reused, each query would compile the whole chain below it again (some 1500 lookups).
    CountingCatalog c("table|T\nfield|a|10|50|2\n");
    for (int level = 0; level < 55; ++level) {
        const std::u16string below = level == 54 ? u"T" : numbered(u"Q", level + 1);
        c.add_query(numbered(u"Q", level), Rows().input(below).column(below + u".a"));
    }
    CompiledQueries compiled;
    for (int level = 54; level >= 0; --level) {
        const std::u16string name = numbered(u"Q", level);
        try {
            EXPECT_EQ(resolve_query_fields(name, *c.query_rows(name), c, compiled).size(), 1u);
            EXPECT_GE(level, 5);
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 3360);
            EXPECT_LT(level, 5);
        }
    }
    EXPECT_LE(c.lookups, 400);
}

}  // namespace
}  // namespace qz::query

// A saved query's fields compiled from its rows against a catalog built in memory, as the file reader would
// hand them over.

#include "platform/query/query_fields.hpp"

#include <gtest/gtest.h>

#include <map>

#include "platform/error.hpp"
#include "platform/query/names.hpp"
#include "query_models.hpp"
#include "platform/text/code_page.hpp"

namespace qz::query {
namespace {

using test::field;
using test::MemoryCatalog;
using test::Rows;

std::u16string numbered(const char16_t* prefix, int number) { return prefix + ascii(std::to_string(number)); }

// A table with one field of every numeric, date and text kind, and queries over it.
MemoryCatalog catalog() {
    MemoryCatalog c;
    c.add_table(u"T", {field(u"yn", 1, 1, 1), field(u"b", 2, 1, 1), field(u"i", 3, 2, 1), field(u"l", 4, 4, 1),
                   field(u"c", 5, 8, 1), field(u"s", 6, 4, 1), field(u"d", 7, 8, 1), field(u"dt", 8, 8, 1), field(u"t"),
                   field(u"m", 12, 0, 2), field(u"n", 20, 16, 1), field(u"big", 16, 8, 1), field(u"ID", 4, 4, 17)});
    c.add_table(u"A", {field(u"x"), field(u"n", 4, 4, 1)});
    c.add_table(u"B", {field(u"x"), field(u"y")});
    c.add_table(u"Z", {field(u"z"), field(u"a")});
    c.add_query(u"Inner", Rows().input(u"T").column(u"T.ID").column(u"t", u"Label"));
    c.add_query(u"Unique", Rows().flags(2).input(u"T").column(u"T.t"));
    c.add_query(u"Broken", Rows().input(u"Gone").column(u"Gone.a"));
    c.add_query(u"Circle", Rows().input(u"Round").column(u"Round.x"));
    c.add_query(u"Round", Rows().input(u"circle").column(u"x"));
    return c;
}

std::vector<FieldDescription> resolve(const MemoryCatalog& c, const std::vector<QueryRow>& rows) {
    return resolve_query_fields(u"Q", rows, c);
}

// A wrong rule shows as a computed column of the wrong type or size.
TEST(QueryFields, ComputedColumnsFollowTheEngineTypingRules) {
    struct Case {
        const char16_t* expression;
        std::int16_t type;
        std::int32_t size;  // -1: not checked
    };
    const Case cases[] = {
        // aggregates
        {u"Count(b)", 4, 4}, {u"Count(*)", 4, 4}, {u"Sum(b)", 4, 4}, {u"Sum(i)", 4, 4}, {u"Sum(l)", 4, 4},
        {u"Sum(s)", 7, 8}, {u"Sum(d)", 7, 8}, {u"Sum(c)", 5, 8}, {u"Sum(n)", 20, 16}, {u"Avg(i)", 7, 8},
        {u"Avg(l)", 7, 8}, {u"Avg(d)", 7, 8}, {u"Avg(c)", 5, 8}, {u"Avg(n)", 20, 16}, {u"Min(t)", 10, 50},
        {u"Max(dt)", 8, 8}, {u"First(c)", 5, 8}, {u"Last(s)", 6, 4}, {u"StDev(l)", 7, 8}, {u"sum([T].[i])", 4, 4},
        // concatenation and choice
        {u"t & i", 10, 255}, {u"\"a\" & \"b\"", 10, 255}, {u"IIf(yn, i, l)", 4, 4}, {u"IIf(yn, i, d)", 7, 8},
        {u"IIf(yn, t, i)", 10, 255}, {u"IIf(yn, dt, Null)", 8, 8}, {u"IIf(yn, t, m)", 12, 0}, {u"Nz(i, 0)", 4, 4},
        {u"Left$(t, 2)", 10, 255}, {u"Len(t)", 4, 4}, {u"CInt(t)", 3, 2}, {u"CCur(d)", 5, 8},
        // dates
        {u"Date()", 8, 8}, {u"Now()", 8, 8}, {u"DateSerial(2020, 1, 1)", 8, 8}, {u"DateAdd(\"d\", 1, dt)", 8, 8},
        {u"Year(dt)", 3, 2}, {u"Month(dt)", 3, 2}, {u"DatePart(\"q\", dt)", 3, 2}, {u"DateDiff(\"d\", dt, Now())", 4, 4},
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
        {u"[Start Date]", 8, -1}, {u"[Forms]![F]![Count]", 4, -1}, {u"[Undeclared]", 10, -1}, {u"T.NoSuchField", 10, -1},
    };
    const MemoryCatalog c = catalog();
    for (const Case& k : cases) {
        const auto fields = resolve(c, Rows().parameter(u"[Start Date]", 8).parameter(u"Forms!F!Count", 4).input(u"T")
                                           .column(u"l * 2", u"Twice").column(k.expression, u"x"));
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_EQ(fields[1].type, k.type) << text::utf16_to_utf8(k.expression);
        if (k.size >= 0) {
            EXPECT_EQ(fields[1].size, k.size) << text::utf16_to_utf8(k.expression);
        }
    }
}

TEST(QueryFields, TableFieldsKeepTheirValuesComputedOnesCarryNone) {
    FieldDescription name = field(u"Name");
    name.default_value = std::u16string(u"none");
    name.required = name.allow_zero_length = true;
    name.collating_order = 1053;
    name.properties = {{u"UnicodeCompression", true}};
    MemoryCatalog c;
    c.add_table(u"People", {field(u"ID", 4, 4, 17), name});
    const auto fields = resolve(c, Rows().input(u"People").column(u"[People].[Name]").column(u"People.ID")
                                       .column(u"ID + 1").column(u"Name & Name", u"Both").column(u"ID * 2"));
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[0].name, u"Name");
    EXPECT_EQ(fields[0].attributes, 34);  // updatable in a plain select
    EXPECT_EQ(fields[0].default_value, engine::Variant(std::u16string(u"none")));
    EXPECT_TRUE(fields[0].required && fields[0].allow_zero_length);
    EXPECT_EQ(fields[0].collating_order, 1053);
    EXPECT_EQ(fields[0].properties, name.properties);
    EXPECT_EQ(fields[1].attributes, 49);  // AutoNumber 17 plus updatable
    EXPECT_EQ(fields[1].ordinal_position, 1);
    EXPECT_EQ(fields[2].name + fields[3].name + fields[4].name, u"Expr1000BothExpr1001");
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(fields[i].collating_order, 1046) << "the database's sort order";
        EXPECT_FALSE(fields[i].required || fields[i].allow_zero_length);
        EXPECT_EQ(fields[i].default_value, engine::Variant{});
        EXPECT_TRUE(fields[i].properties.empty());
        EXPECT_EQ(fields[i].attributes, i == 3 ? 2 : 1);
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
        {"DISTINCT", Rows().flags(2).input(u"T").column(u"T.t"), u"t", 2},
        {"DISTINCTROW keeps the source rows", Rows().flags(8).input(u"T").column(u"T.t"), u"t", 34},
        {"grouped", Rows().input(u"T").column(u"T.t").group_by(u"T.t"), u"t", 2},
        {"aggregate", Rows().input(u"T").column(u"T.t").column(u"Count(*)", u"n"), u"t n", 2},
        {"same name from two tables", Rows().input(u"A").input(u"B", u"b2").column(u"A.*").column(u"b2.x").column(u"b2.y"),
         u"A.x n b2.x y", 34},
        {"select-all flag", Rows().flags(1).input(u"Z").input(u"A"), u"z a x n", 34},
        {"nested queries pass fields through once", Rows().input(u"Inner", u"i").column(u"i.*"), u"ID Label", 49},
        {"a field behind DISTINCT stays read-only", Rows().input(u"Unique").column(u"Unique.t"), u"t", 2},
        {"nested select under its alias",
         Rows().parameter(u"__ID", 0).flags(9).nested_input(u"SELECT [T].ID, [T].t FROM [T]", u"L").where(u"([__ID] = [ID])"),
         u"ID t", 49},
        {"union: the first select's fields",
         Rows(9).flags(3).union_part(u"SELECT A.x, n AS Number FROM A UNION SELECT y, 1 FROM B", 1)
             .union_part(u"SELECT y, 2 FROM B ORDER BY 1", 2),
         u"x Number", 2},
        {"crosstab: row headings, then the fixed pivot values",
         Rows(6).input(u"T").column(u"Sum(c)", u"Total", 0).column(u"T.t", u"", 2)
             .column(u"Year(dt) In (2001, 2002, \"Later\")", u"", 1).group_by(u"T.t", 2).group_by(u"Year(dt)", 1),
         u"t 2001 2002 Later", 2},
        {"crosstab without a list", Rows(6).input(u"T").column(u"Count(l)", u"", 0).column(u"T.t", u"", 2)
             .column(u"T.i", u"", 1), u"t", 2},
    };
    const MemoryCatalog c = catalog();
    std::vector<QueryRow> signed_end = Rows().input(u"T").column(u"T.t");
    signed_end.push_back(QueryRow{-1, u"junk", 6, u"", u"", 7, 1});
    EXPECT_EQ(resolve(c, signed_end).size(), 1u) << "an end row read as a signed byte was taken for a column";
    for (const Case& k : cases) {
        const auto fields = resolve(c, k.rows);
        std::u16string names;
        for (const FieldDescription& f : fields) names += (names.empty() ? u"" : u" ") + f.name;
        EXPECT_EQ(names, k.names) << k.what;
        EXPECT_EQ(fields.empty() ? -1 : fields[0].attributes, k.attributes) << k.what;
    }
    const auto crosstab = resolve(c, cases[10].rows);
    EXPECT_EQ(crosstab.at(3).type, 5);
    EXPECT_EQ(crosstab.at(3).ordinal_position, 3);
    for (const int kind : {2, 3, 4, 5, 7, 8}) {  // action, definition and pass-through: none, inputs unread
        EXPECT_TRUE(resolve(c, Rows(static_cast<std::int16_t>(kind)).input(u"Missing").column(u"Missing.a")).empty());
    }
}

TEST(QueryFields, FailuresGiveTheEngineNumberAndNameWhatFailed) {
    MemoryCatalog c = catalog();
    std::u16string below = u"T";
    for (int level = 0; level < 80; ++level) {
        c.add_query(numbered(u"Q", level), Rows().input(below).column(below + u".t"));
        below = numbered(u"Q", level);
    }
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
        std::u16string description;  // a part of it, or the whole when it starts with "The"
    };
    const Case cases[] = {
        {u"Q", Rows().input(u"A").input(u"B").column(u"x"), 3079, u""},
        {u"Circle", c.rows(u"Circle"), 3103, u"'Circle'"},
        {u"Self", Rows().input(u"Self").column(u"x"), 3103, u""},
        {u"Q79", c.rows(u"Q79"), 3360, u""},
        {u"Q", inputs(32, false), 0, u""},
        {u"Q", inputs(33, false), 3360, u""},
        {u"Q", inputs(32, true), 3360, u""},
        {u"Q", Rows().input(u"T").column(u"Frobnicate(l)"), 3085, u"Frobnicate"},
        {u"Q", Rows().input(u"Nowhere").column(u"a"), 3078, u"The input table or query 'Nowhere' cannot be found."},
        {u"Q", Rows().input(u"Broken").column(u"a"), 3078, u"The input table or query 'Gone' cannot be found."},
        {u"Q", Rows().input(u"T").column(u"Other.*"), 3078, u"'Other'"},
        {u"Q", Rows().input(u"T").column(u"l +"), 3075, u"l +"},
        {u"Q", Rows(9).union_part(u"SELECT FROM", 1), 3075, u"'Q'"},
    };
    c.add_query(u"Self", cases[2].rows);
    for (const Case& k : cases) {
        const std::string what = text::utf16_to_utf8(k.name) + " " + std::to_string(k.number);
        try {
            resolve_query_fields(k.name, k.rows, c);
            EXPECT_EQ(k.number, 0) << what;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), k.number) << what;
            if (k.description.starts_with(u"The")) {
                EXPECT_EQ(error.description(), k.description) << what;
            } else {
                EXPECT_NE(error.description().find(k.description), std::u16string::npos) << what;
                if (k.number == 3075 || k.number == 3085) {
                    EXPECT_NE(error.description().find(u"'Q'"), std::u16string::npos) << what;
                }
            }
        }
    }
    EXPECT_EQ(resolve_query_fields(u"Q30", c.rows(u"Q30"), c).at(0).name, u"t");
}

TEST(QueryFields, CompilingEveryQueryOfADatabaseCompilesEachOnce) {
    // 40 layers of 50 queries, each on 32 queries of the layer below: compiled afresh, every query would
    // compile the layers below it again.
    MemoryCatalog c;
    c.add_table(u"T", {field(u"a")});
    const auto name = [](int layer, int place) { return numbered(u"L", layer) + numbered(u"_", place); };
    for (int layer = 0; layer < 40; ++layer) {
        for (int place = 0; place < 50; ++place) {
            Rows rows;
            for (int k = 0; k < 32; ++k) rows.input(layer == 39 ? u"T" : name(layer + 1, (place + k) % 50), numbered(u"x", k));
            c.add_query(name(layer, place), rows.column(u"x0.a"));
        }
    }
    CompiledQueries compiled;
    for (int layer = 0; layer < 40; ++layer) {
        for (int place = 0; place < 50; ++place) {
            EXPECT_EQ(resolve_query_fields(name(layer, place), c.rows(name(layer, place)), c, compiled).size(), 1u);
        }
    }
    EXPECT_LE(c.lookups, 2000);
}

TEST(QueryFields, AQueryCompiledBeforeFailsDeeperAsItWouldFirstTime) {
    // Q0 on Q1 ... on Q54 on T: too deep from Q5 up. Compiling from the bottom first must not change that.
    MemoryCatalog c;
    c.add_table(u"T", {field(u"a")});
    std::vector<int> top_down;
    for (int level = 0; level < 55; ++level) {
        const std::u16string below = level == 54 ? u"T" : numbered(u"Q", level + 1);
        c.add_query(numbered(u"Q", level), Rows().input(below).column(below + u".a"));
        top_down.push_back(level);
    }
    const auto errors_in_order = [&](const std::vector<int>& order) {
        CompiledQueries compiled;
        std::map<int, std::int32_t> errors;
        for (const int level : order) {
            try {
                resolve_query_fields(numbered(u"Q", level), c.rows(numbered(u"Q", level)), c, compiled);
                errors[level] = 0;
            } catch (const Error& error) {
                errors[level] = error.number();
            }
        }
        return errors;
    };
    const std::map<int, std::int32_t> fresh = errors_in_order(top_down);
    EXPECT_EQ(fresh.at(4), 3360);
    EXPECT_EQ(fresh.at(5), 0);
    EXPECT_EQ(errors_in_order({top_down.rbegin(), top_down.rend()}), fresh);
}

}  // namespace
}  // namespace qz::query

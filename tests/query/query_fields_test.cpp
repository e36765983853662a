#include "platform/query/query_fields.hpp"

#include <gtest/gtest.h>

#include <map>

#include "platform/error.hpp"
#include "query_models.hpp"

namespace qz::query::test {
namespace {

// A table with one field of every numeric, date and text kind, for the typing cases.
MemoryCatalog typing_catalog() {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"yn", 1, 1, 1), table_field(u"b", 2, 1, 1), table_field(u"i", 3, 2, 1),
                             table_field(u"l", 4, 4, 1), table_field(u"c", 5, 8, 1), table_field(u"s", 6, 4, 1),
                             table_field(u"d", 7, 8, 1), table_field(u"dt", 8, 8, 1), text_field(u"t"),
                             table_field(u"m", 12, 0, 2), table_field(u"n", 20, 16, 1),
                             table_field(u"big", 16, 8, 1)});
    return catalog;
}

std::vector<FieldDescription> resolve(const MemoryCatalog& catalog, const std::vector<QueryRow>& rows,
                                      const std::u16string& name = u"Q") {
    return resolve_query_fields(name, rows, catalog);
}

std::int32_t error_number_of(const MemoryCatalog& catalog, const std::vector<QueryRow>& rows,
                             std::u16string* description = nullptr, const std::u16string& name = u"Q") {
    try {
        resolve(catalog, rows, name);
    } catch (const Error& error) {
        if (description != nullptr) *description = error.description();
        return error.number();
    }
    return 0;
}

struct TypingCase {
    const char16_t* expression;
    std::int16_t type;
    std::int32_t size;
};

class ComputedColumnType : public ::testing::TestWithParam<TypingCase> {};

// A wrong rule shows as a computed column of the wrong type or size.
TEST_P(ComputedColumnType, FollowsTheEngineTypingRule) {
    const MemoryCatalog catalog = typing_catalog();
    const auto fields = resolve(catalog, Rows().input(u"T").column(GetParam().expression, u"x").done());
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].type, GetParam().type);
    EXPECT_EQ(fields[0].size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Aggregates, ComputedColumnType,
    ::testing::Values(TypingCase{u"Count(b)", 4, 4}, TypingCase{u"Count(*)", 4, 4}, TypingCase{u"Sum(b)", 4, 4},
                      TypingCase{u"Sum(i)", 4, 4}, TypingCase{u"Sum(l)", 4, 4}, TypingCase{u"Sum(s)", 7, 8},
                      TypingCase{u"Sum(d)", 7, 8}, TypingCase{u"Sum(c)", 5, 8}, TypingCase{u"Sum(n)", 20, 16},
                      TypingCase{u"Avg(i)", 7, 8}, TypingCase{u"Avg(l)", 7, 8}, TypingCase{u"Avg(d)", 7, 8},
                      TypingCase{u"Avg(c)", 5, 8}, TypingCase{u"Avg(n)", 20, 16}, TypingCase{u"Min(t)", 10, 50},
                      TypingCase{u"Max(dt)", 8, 8}, TypingCase{u"First(c)", 5, 8}, TypingCase{u"Last(s)", 6, 4},
                      TypingCase{u"StDev(l)", 7, 8}, TypingCase{u"sum([T].[i])", 4, 4}));

INSTANTIATE_TEST_SUITE_P(
    ConcatenationAndChoice, ComputedColumnType,
    ::testing::Values(TypingCase{u"t & i", 10, 255}, TypingCase{u"\"a\" & \"b\"", 10, 255},
                      TypingCase{u"IIf(yn, i, l)", 4, 4}, TypingCase{u"IIf(yn, i, d)", 7, 8},
                      TypingCase{u"IIf(yn, t, i)", 10, 255}, TypingCase{u"IIf(yn, dt, Null)", 8, 8},
                      TypingCase{u"IIf(yn, t, m)", 12, 0}, TypingCase{u"Nz(i, 0)", 4, 4},
                      TypingCase{u"Left$(t, 2)", 10, 255}, TypingCase{u"Len(t)", 4, 4}, TypingCase{u"CInt(t)", 3, 2},
                      TypingCase{u"CCur(d)", 5, 8}));

INSTANTIATE_TEST_SUITE_P(
    DateFunctions, ComputedColumnType,
    ::testing::Values(TypingCase{u"Date()", 8, 8}, TypingCase{u"Now()", 8, 8},
                      TypingCase{u"DateSerial(2020, 1, 1)", 8, 8}, TypingCase{u"DateAdd(\"d\", 1, dt)", 8, 8},
                      TypingCase{u"Year(dt)", 3, 2}, TypingCase{u"Month(dt)", 3, 2},
                      TypingCase{u"DatePart(\"q\", dt)", 3, 2}, TypingCase{u"DateDiff(\"d\", dt, Now())", 4, 4},
                      TypingCase{u"#1/1/2000#", 8, 8}, TypingCase{u"dt + 1", 8, 8}, TypingCase{u"dt - dt", 7, 8}));

INSTANTIATE_TEST_SUITE_P(
    ArithmeticWidening, ComputedColumnType,
    ::testing::Values(TypingCase{u"i + b", 3, 2}, TypingCase{u"i + l", 4, 4}, TypingCase{u"l * s", 6, 4},
                      TypingCase{u"s - d", 7, 8}, TypingCase{u"c + i", 5, 8}, TypingCase{u"c * d", 7, 8},
                      TypingCase{u"i / i", 7, 8}, TypingCase{u"l \\ i", 4, 4}, TypingCase{u"l Mod i", 4, 4},
                      TypingCase{u"i ^ 2", 7, 8}, TypingCase{u"n + l", 20, 16}, TypingCase{u"big + l", 16, 8},
                      TypingCase{u"-b", 3, 2}, TypingCase{u"yn + yn", 3, 2}, TypingCase{u"t + t", 10, 255},
                      TypingCase{u"t + i", 7, 8}, TypingCase{u"(i + l) * 2", 4, 4}, TypingCase{u"1", 4, 4},
                      TypingCase{u"1.5", 7, 8}, TypingCase{u"\"x\"", 10, 255}));

INSTANTIATE_TEST_SUITE_P(
    Conditions, ComputedColumnType,
    ::testing::Values(TypingCase{u"i = 1", 1, 1}, TypingCase{u"t Like \"a*\"", 1, 1}, TypingCase{u"Not yn", 1, 1},
                      TypingCase{u"l Between 1 And 2", 1, 1}, TypingCase{u"t Not In (\"a\", \"b\")", 1, 1},
                      TypingCase{u"t Is Not Null", 1, 1}, TypingCase{u"yn Xor yn Eqv yn Imp yn", 1, 1},
                      TypingCase{u"(SELECT Max(d) FROM T)", 7, 8},
                      TypingCase{u"Exists (SELECT * FROM T WHERE l > 1)", 1, 1}));

TEST(QueryFields, TableFieldKeepsItsValuesAndBecomesUpdatableInAPlainSelect) {
    MemoryCatalog catalog;
    FieldDescription id = table_field(u"ID", 4, 4, 17);
    FieldDescription name = text_field(u"Name");
    name.default_value = std::u16string(u"none");
    name.required = true;
    name.allow_zero_length = true;
    name.collating_order = 1053;
    name.properties = {{u"UnicodeCompression", true}};
    catalog.add_table(u"People", {id, name});

    const auto fields = resolve(catalog, Rows().input(u"People").column(u"[People].[Name]").column(u"People.ID").done());

    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, u"Name");
    EXPECT_EQ(fields[0].attributes, 34);
    EXPECT_EQ(fields[0].ordinal_position, 0);
    EXPECT_EQ(fields[0].default_value, engine::Variant(std::u16string(u"none")));
    EXPECT_TRUE(fields[0].required);
    EXPECT_TRUE(fields[0].allow_zero_length);
    EXPECT_EQ(fields[0].collating_order, 1053);
    EXPECT_EQ(fields[0].properties, name.properties);
    EXPECT_EQ(fields[0].size, 50);
    EXPECT_EQ(fields[1].name, u"ID");
    EXPECT_EQ(fields[1].attributes, 49);  // AutoNumber 17 plus updatable
    EXPECT_EQ(fields[1].ordinal_position, 1);
}

TEST(QueryFields, DistinctGroupingAggregatesAndUnionsAreNotUpdatable) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    const std::vector<std::vector<QueryRow>> not_updatable = {
        Rows().flags(2).input(u"T").column(u"T.a").done(),
        Rows().input(u"T").column(u"T.a").group_by(u"T.a").done(),
        Rows().input(u"T").column(u"T.a").column(u"Count(*)", u"n").done(),
        Rows(9).union_part(u"SELECT a FROM T", 1).union_part(u"SELECT a FROM T", 2).done(),
    };
    for (const auto& rows : not_updatable) EXPECT_EQ(resolve(catalog, rows).at(0).attributes, 2);
    // DISTINCTROW keeps the source rows, so the fields stay updatable.
    EXPECT_EQ(resolve(catalog, Rows().flags(8).input(u"T").column(u"T.a").done()).at(0).attributes, 34);
}

TEST(QueryFields, ComputedFieldsAreNamedInOrderAndCarryNoSourceValues) {
    MemoryCatalog catalog = typing_catalog();
    const auto fields = resolve(catalog, Rows().input(u"T").column(u"l + 1").column(u"t & t", u"Both").column(u"i * 2").done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"Expr1000", u"Both", u"Expr1001"}));
    for (const FieldDescription& field : fields) {
        EXPECT_EQ(field.collating_order, 1046) << "the database's sort order";
        EXPECT_FALSE(field.required);
        EXPECT_FALSE(field.allow_zero_length);
        EXPECT_EQ(field.default_value, engine::Variant{});
        EXPECT_TRUE(field.properties.empty());
    }
    EXPECT_EQ(fields[0].attributes, 1);
    EXPECT_EQ(fields[1].attributes, 2);
}

TEST(QueryFields, SameFieldNameFromTwoTablesIsQualifiedByItsTable) {
    MemoryCatalog catalog;
    catalog.add_table(u"Table1", {text_field(u"col1"), text_field(u"col2")});
    catalog.add_table(u"Table2", {text_field(u"col1"), text_field(u"col3")});
    const auto fields = resolve(catalog, Rows().input(u"Table1").input(u"Table2", u"t2")
                                             .column(u"Table1.*").column(u"t2.col1").column(u"t2.col3").done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"Table1.col1", u"col2", u"t2.col1", u"col3"}));
}

TEST(QueryFields, UnqualifiedNameInTwoTablesIsAnError) {
    MemoryCatalog catalog;
    catalog.add_table(u"A", {text_field(u"x")});
    catalog.add_table(u"B", {text_field(u"x")});
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"A").input(u"B").column(u"x").done()), 3079);
}

TEST(QueryFields, SelectAllFlagExpandsEveryInputInItsFieldOrder) {
    MemoryCatalog catalog;
    catalog.add_table(u"A", {text_field(u"z"), text_field(u"a")});
    catalog.add_table(u"B", {table_field(u"n", 4, 4, 1)});
    const auto fields = resolve(catalog, Rows().flags(1).input(u"A").input(u"B").done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"z", u"a", u"n"}));
    EXPECT_EQ(fields[2].ordinal_position, 2);
}

TEST(QueryFields, NestedQueriesPassFieldsThroughOnce) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"ID", 4, 4, 17), text_field(u"a")});
    catalog.add_query(u"Inner", Rows().input(u"T").column(u"T.ID").column(u"a", u"Label").done());
    catalog.add_query(u"Unique", Rows().flags(2).input(u"T").column(u"T.a").done());
    const auto fields = resolve(catalog, Rows().input(u"Inner", u"i").input(u"Unique").column(u"i.*").column(u"Unique.a").done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"ID", u"Label", u"a"}));
    EXPECT_EQ(fields[0].attributes, 49) << "the updatable bit is not added twice";
    EXPECT_EQ(fields[1].attributes, 34);
    EXPECT_EQ(fields[2].attributes, 2) << "a field behind DISTINCT stays read-only";
}

TEST(QueryFields, QueriesThatUseEachOtherFailInsteadOfLooping) {
    MemoryCatalog catalog;
    catalog.add_query(u"A", Rows().input(u"B").column(u"B.x").done());
    catalog.add_query(u"B", Rows().input(u"a").column(u"a.x").done());
    catalog.add_query(u"Self", Rows().input(u"Self").column(u"x").done());
    std::u16string description;
    EXPECT_EQ(error_number_of(catalog, catalog.rows(u"A"), &description, u"A"), 3103);
    EXPECT_NE(description.find(u"'A'"), std::u16string::npos);
    EXPECT_EQ(error_number_of(catalog, catalog.rows(u"Self"), nullptr, u"Self"), 3103);
}

TEST(QueryFields, LongChainOfQueriesIsRefusedNotOverflowed) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    std::u16string below = u"T";
    for (int level = 0; level < 80; ++level) {
        const std::u16string name = u"Q" + ascii(std::to_string(level));
        catalog.add_query(name, Rows().input(below).column(below + u".a").done());
        below = name;
    }
    EXPECT_EQ(error_number_of(catalog, catalog.rows(below), nullptr, below), 3360);
    EXPECT_EQ(resolve(catalog, catalog.rows(u"Q30")).at(0).name, u"a");
}

TEST(QueryFields, MoreInputsThanTheEngineJoinsAreTooComplex) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    const auto saved_inputs = [](int count) {
        Rows rows;
        for (int i = 0; i < count; ++i) rows.input(u"T", u"t" + ascii(std::to_string(i)));
        return rows.column(u"t0.a").done();
    };
    std::u16string from = u"T AS t0";
    for (int i = 1; i < 33; ++i) from += u", T AS t" + ascii(std::to_string(i));
    const std::vector<std::pair<std::vector<QueryRow>, std::int32_t>> cases = {
        {saved_inputs(32), 0},
        {saved_inputs(33), 3360},
        {Rows().nested_input(u"SELECT t0.a FROM " + from, u"x").column(u"a").done(), 3360},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(error_number_of(catalog, cases[i].first), cases[i].second) << "case " << i;
    }
}

// Counts the saved queries looked up, each of which is then compiled.
class CountingCatalog : public MemoryCatalog {
public:
    std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const override {
        ++lookups;
        return MemoryCatalog::query_rows(name);
    }
    mutable int lookups = 0;
};

std::u16string numbered(const char16_t* prefix, int number) { return prefix + ascii(std::to_string(number)); }

TEST(QueryFields, CompilingEveryQueryOfADatabaseCompilesEachOnce) {
    // 40 layers of 50 queries, each on 32 queries of the layer below: compiled afresh, every query would
    // compile the layers below it again.
    CountingCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    const auto name = [](int layer, int place) { return numbered(u"L", layer) + numbered(u"_", place); };
    for (int layer = 0; layer < 40; ++layer) {
        for (int place = 0; place < 50; ++place) {
            Rows rows;
            for (int k = 0; k < 32; ++k) {
                rows.input(layer == 39 ? u"T" : name(layer + 1, (place + k) % 50), numbered(u"x", k));
            }
            catalog.add_query(name(layer, place), rows.column(u"x0.a").done());
        }
    }
    CompiledQueries compiled;
    for (int layer = 0; layer < 40; ++layer) {
        for (int place = 0; place < 50; ++place) {
            const std::u16string query = name(layer, place);
            EXPECT_EQ(resolve_query_fields(query, catalog.rows(query), catalog, compiled).size(), 1u);
        }
    }
    EXPECT_LE(catalog.lookups, 2000);
}

TEST(QueryFields, AQueryCompiledBeforeFailsDeeperAsItWouldFirstTime) {
    // Q0 on Q1 ... on Q54 on T: too deep from Q5 up. Compiling from the bottom first must not change that.
    MemoryCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    for (int level = 0; level < 55; ++level) {
        const std::u16string below = level == 54 ? u"T" : numbered(u"Q", level + 1);
        catalog.add_query(numbered(u"Q", level), Rows().input(below).column(below + u".a").done());
    }
    const auto errors_in_order = [&](std::vector<int> order) {
        CompiledQueries compiled;
        std::map<int, std::int32_t> errors;
        for (const int level : order) {
            const std::u16string query = numbered(u"Q", level);
            try {
                resolve_query_fields(query, catalog.rows(query), catalog, compiled);
                errors[level] = 0;
            } catch (const Error& error) {
                errors[level] = error.number();
            }
        }
        return errors;
    };
    std::vector<int> top_down;
    for (int level = 0; level < 55; ++level) top_down.push_back(level);
    const std::vector<int> bottom_up(top_down.rbegin(), top_down.rend());
    const std::map<int, std::int32_t> fresh = errors_in_order(top_down);
    EXPECT_EQ(fresh.at(4), 3360);
    EXPECT_EQ(fresh.at(5), 0);
    EXPECT_EQ(errors_in_order(bottom_up), fresh);
}

TEST(QueryFields, UnknownFunctionNamesTheFunctionAndTheQuery) {
    const MemoryCatalog catalog = typing_catalog();
    std::u16string description;
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"T").column(u"Frobnicate(l)").done(), &description), 3085);
    EXPECT_NE(description.find(u"Frobnicate"), std::u16string::npos);
    EXPECT_NE(description.find(u"'Q'"), std::u16string::npos);
}

TEST(QueryFields, MissingInputTableOrQueryIs3078WithItsName) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {text_field(u"a")});
    catalog.add_query(u"Broken", Rows().input(u"Gone").column(u"Gone.a").done());
    std::u16string description;
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"Nowhere").column(u"a").done(), &description), 3078);
    EXPECT_EQ(description, u"The input table or query 'Nowhere' cannot be found.");
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"Broken").column(u"a").done(), &description), 3078);
    EXPECT_EQ(description, u"The input table or query 'Gone' cannot be found.");
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"T").column(u"Other.*").done()), 3078);
}

TEST(QueryFields, TextThatDoesNotParseIs3075NamingTheQuery) {
    const MemoryCatalog catalog = typing_catalog();
    std::u16string description;
    EXPECT_EQ(error_number_of(catalog, Rows().input(u"T").column(u"l +").done(), &description), 3075);
    EXPECT_NE(description.find(u"'Q'"), std::u16string::npos);
    EXPECT_NE(description.find(u"l +"), std::u16string::npos);
    EXPECT_EQ(error_number_of(catalog, Rows(9).union_part(u"SELECT FROM", 1).done()), 3075);
}

TEST(QueryFields, CrosstabListsRowHeadingsThenOneFieldPerFixedPivotValue) {
    MemoryCatalog catalog = typing_catalog();
    const auto with_list = resolve(catalog, Rows(6).input(u"T")
                                                .column(u"Sum(c)", u"Total", 0)
                                                .column(u"T.t", u"", 2)
                                                .column(u"Year(dt) In (2001, 2002, \"Later\")", u"", 1)
                                                .group_by(u"T.t", 2)
                                                .group_by(u"Year(dt)", 1)
                                                .done());
    EXPECT_EQ(names_of(with_list), (std::vector<std::u16string>{u"t", u"2001", u"2002", u"Later"}));
    EXPECT_EQ(with_list[0].attributes, 2) << "a crosstab is never updatable";
    EXPECT_EQ(with_list[3].type, 5);
    EXPECT_EQ(with_list[3].ordinal_position, 3);
    const auto without_list = resolve(catalog, Rows(6).input(u"T").column(u"Count(l)", u"", 0)
                                                   .column(u"T.t", u"", 2).column(u"T.i", u"", 1).done());
    EXPECT_EQ(names_of(without_list), (std::vector<std::u16string>{u"t"}));
}

TEST(QueryFields, UnionHasTheFieldsOfItsFirstSelect) {
    MemoryCatalog catalog;
    catalog.add_table(u"A", {text_field(u"x"), table_field(u"n", 4, 4, 1)});
    catalog.add_table(u"B", {text_field(u"y")});
    const auto fields = resolve(catalog, Rows(9).flags(3)
                                             .union_part(u"SELECT A.x, n AS Number FROM A UNION SELECT y, 1 FROM B", 1)
                                             .union_part(u"SELECT y, 2 FROM B ORDER BY 1", 2)
                                             .done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"x", u"Number"}));
    EXPECT_EQ(fields[0].attributes, 2);
    EXPECT_EQ(fields[1].size, 4);
}

TEST(QueryFields, ActionDefinitionAndPassThroughQueriesHaveNoFields) {
    const MemoryCatalog catalog;  // even their missing inputs do not matter
    for (std::int16_t kind : std::vector<std::int16_t>{2, 3, 4, 5, 7, 8}) {
        EXPECT_TRUE(resolve(catalog, Rows(kind).input(u"Missing").column(u"Missing.a").done()).empty()) << kind;
    }
}

TEST(QueryFields, ParametersAreTypedByTheirDeclarationElseText) {
    const MemoryCatalog catalog = typing_catalog();
    const auto fields = resolve(catalog, Rows().parameter(u"[Start Date]", 8).parameter(u"Forms!F!Count", 4)
                                             .input(u"T")
                                             .column(u"[Start Date]", u"a").column(u"[Forms]![F]![Count]", u"b")
                                             .column(u"[Undeclared]", u"c").column(u"T.NoSuchField", u"d").done());
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0].type, 8);
    EXPECT_EQ(fields[1].type, 4);
    EXPECT_EQ(fields[2].type, 10);
    EXPECT_EQ(fields[3].type, 10);
}

TEST(QueryFields, NestedSelectInputIsResolvedUnderItsAlias) {
    MemoryCatalog catalog;
    catalog.add_table(u"Log", {table_field(u"ID", 4, 4, 17), text_field(u"Note")});
    const auto fields = resolve(catalog, Rows().parameter(u"__ID", 0).flags(9)
                                             .nested_input(u"SELECT [Log].ID, [Log].Note FROM [Log]", u"L")
                                             .where(u"([__ID] = [ID])").done());
    EXPECT_EQ(names_of(fields), (std::vector<std::u16string>{u"ID", u"Note"}));
    EXPECT_EQ(fields[0].attributes, 49);
}

TEST(QueryFields, LaterColumnMayUseAnEarlierAlias) {
    const MemoryCatalog catalog = typing_catalog();
    const auto fields = resolve(catalog, Rows().input(u"T").column(u"l * 2", u"Twice").column(u"Twice + 0.5", u"More").done());
    EXPECT_EQ(fields.at(1).type, 7);
}

}  // namespace
}  // namespace qz::query::test

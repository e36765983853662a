// Saved-query expressions the fuzz_query_fields target found to overflow the stack. A query's expression
// is memo text from the file, so a damaged or hostile file decides how deep it nests; the sound answer is
// its fields or error 3360 (too complex), never a crash. The deep cases sit just inside and just past the
// limits, so each also shows that the deepest accepted expression fits the stack of the sanitizer build.

#include <gtest/gtest.h>

#include <string>

#include "platform/error.hpp"
#include "platform/query/query_fields.hpp"
#include "query/query_models.hpp"

namespace qz::query::test {
namespace {

constexpr std::int32_t too_complex = 3360;

std::u16string repeated(std::u16string_view piece, std::size_t times) {
    std::u16string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

std::u16string number(std::size_t value) { return ascii(std::to_string(value)); }

// 0 when the query compiles, else the number of the error it raises.
std::int32_t compile_error(const MemoryCatalog& catalog, const std::vector<QueryRow>& rows) {
    try {
        resolve_query_fields(u"Q", rows, catalog);
        return 0;
    } catch (const Error& error) {
        return error.number();
    }
}

std::int32_t compile_error(const std::u16string& column_expression) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"a", 4, 4, 1)});
    return compile_error(catalog, Rows().input(u"T").column(column_expression, u"x").done());
}

// (SELECT (SELECT ... 1+a+a... FROM T)+a+a... FROM T): each level's chain sits above the subquery below it.
std::u16string subqueries_under_chains(std::size_t levels, std::size_t chain) {
    std::u16string text = u"1";
    for (std::size_t level = 0; level < levels; ++level) {
        text = u"(SELECT " + text + repeated(u"+a", chain) + u" FROM T)";
    }
    return text;
}

struct DepthCase {
    const char* fault;
    std::u16string expression;
    std::int32_t expected;

    friend void PrintTo(const DepthCase& depth_case, std::ostream* out) { *out << depth_case.fault; }
};

class DeepQueryExpression : public ::testing::TestWithParam<DepthCase> {};

// Compiler::value_of recursed once per operator of a chain such as a+a+...+1, which the parser built without
// counting it as nesting (20000 terms overflowed a release build, 3000 the sanitizer build); each
// parenthesis walked every precedence level of the parser (110 overflowed the sanitizer build).
TEST_P(DeepQueryExpression, GivesFieldsOrTooComplex) {
    EXPECT_EQ(compile_error(GetParam().expression), GetParam().expected) << GetParam().fault;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeepQueryExpression,
    ::testing::Values(DepthCase{"chain of 20000 operators", repeated(u"a+", 20000) + u"1", too_complex},
                      DepthCase{"chain of 255 operators", repeated(u"a+", 255) + u"1", 0},
                      DepthCase{"chain of 256 operators", repeated(u"a+", 256) + u"1", too_complex},
                      DepthCase{"chain over every precedence level", repeated(u"a Or a And a = a & a+a*a^a Or ", 20) + u"1", 0},
                      DepthCase{"110 parentheses", repeated(u"(", 110) + u"1" + repeated(u")", 110), 0},
                      DepthCase{"126 parentheses", repeated(u"(", 126) + u"1" + repeated(u")", 126), 0},
                      DepthCase{"128 parentheses", repeated(u"(", 128) + u"1" + repeated(u")", 128), too_complex},
                      DepthCase{"100 nested calls", repeated(u"Abs(", 100) + u"a" + repeated(u")", 100), 0},
                      DepthCase{"chains on subqueries", subqueries_under_chains(3, 60), 0},
                      DepthCase{"deeper chains on subqueries", subqueries_under_chains(5, 60), too_complex}));

// Each query's expression types through a subquery on the next query: every level stays inside the
// parser's bounds, but together they reach far deeper, so the compiler bounds the whole.
TEST(DeepQueryExpressionAcrossQueries, ChainOfSubqueriesOnQueriesIsTooComplex) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"a", 4, 4, 1)});
    catalog.add_query(u"Q40", Rows().input(u"T").column(u"a").done());
    for (std::size_t level = 40; level-- > 0;) {
        const std::u16string subquery = u"(SELECT a FROM Q" + number(level + 1) + u")";
        catalog.add_query(u"Q" + number(level),
                          Rows().input(u"T").column(subquery + repeated(u"+a", 100), u"a").done());
    }
    EXPECT_EQ(compile_error(catalog, catalog.rows(u"Q0")), too_complex);
    EXPECT_EQ(compile_error(catalog, catalog.rows(u"Q38")), 0);

    // Compiled from the bottom up, each query is used deeper than it went when compiled: still too complex.
    CompiledQueries compiled;
    std::int32_t error = 0;
    for (std::size_t level = 41; level-- > 0;) {
        try {
            resolve_query_fields(u"Q" + number(level), catalog.rows(u"Q" + number(level)), catalog, compiled);
            error = 0;
        } catch (const Error& e) {
            error = e.number();
        }
    }
    EXPECT_EQ(error, too_complex) << "Q0";
}

// SELECT a FROM (SELECT a FROM (... FROM innermost) AS d) AS d, `levels` derived tables deep.
std::u16string derived_tables(const std::u16string& innermost, std::size_t levels) {
    std::u16string text = u"SELECT a FROM " + innermost;
    for (std::size_t level = 0; level < levels; ++level) text = u"SELECT a FROM (" + text + u") AS d";
    return text;
}

// Each query nests derived tables as deep as the parser allows; 50 such queries on each other compiled 3200
// levels deep, 2 to 4 MB of the sanitizer build's stack, until derived tables counted toward the compiler's
// bound.
TEST(DeepQueryExpressionAcrossQueries, ChainOfDerivedTablesOnQueriesIsTooComplex) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"a", 4, 4, 1)});
    catalog.add_query(u"Q49", Rows().nested_input(derived_tables(u"T", 63), u"x").column(u"a").done());
    for (std::size_t level = 49; level-- > 0;) {
        const std::u16string below = derived_tables(u"Q" + number(level + 1), 63);
        catalog.add_query(u"Q" + number(level), Rows().nested_input(below, u"x").column(u"a").done());
    }
    EXPECT_EQ(compile_error(catalog, catalog.rows(u"Q0")), too_complex);
    EXPECT_EQ(compile_error(catalog, catalog.rows(u"Q45")), 0);
}

}  // namespace
}  // namespace qz::query::test

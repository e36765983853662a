// Saved queries that once overflowed the stack or multiplied their fields into millions. A query's rows are
// text from the file, so a damaged or hostile file decides how deep it nests and how wide it grows; the sound
// answers are its fields, 3360 (too complex) or 3190 (too many fields). Each case sits just inside or just
// past a limit, so the deepest accepted expression is also shown to fit the sanitizer build's stack.

#include <gtest/gtest.h>

#include "platform/error.hpp"
#include "platform/query/query_fields.hpp"
#include "platform/text/code_page.hpp"
#include "query/query_models.hpp"

namespace qz::query::test {
namespace {

constexpr std::int32_t too_complex = 3360, too_many_fields = 3190;

std::u16string repeated(std::u16string_view piece, std::size_t times) {
    std::u16string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}
std::u16string numbered(const std::u16string& prefix, std::size_t n) {
    return prefix + ascii(std::to_string(n));
}

// 0 when the query compiles, else the number of the error it raises.
std::int32_t compile_error(const MemoryCatalog& catalog, const std::u16string& query = u"Q0") {
    try {
        resolve_query_fields(query, catalog.rows(query), catalog);
        return 0;
    } catch (const Error& error) {
        return error.number();
    }
}

MemoryCatalog one_table() {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"a", 4, 4, 1)});
    return catalog;
}

// A chain such as a+a+...+1 recursed once per operator (20000 terms overflowed a release build, 3000 the
// sanitizer build); each parenthesis walked every precedence level of the parser (110 overflowed).
TEST(QueryLimits, DeepExpressionsGiveFieldsOrTooComplex) {
    const auto subqueries_under_chains = [](std::size_t levels) {
        std::u16string text = u"1";
        for (std::size_t level = 0; level < levels; ++level)
            text = u"(SELECT " + text + repeated(u"+a", 60) + u" FROM T)";
        return text;
    };
    const std::pair<std::u16string, std::int32_t> cases[] = {
        {repeated(u"a+", 20000) + u"1", too_complex},
        {repeated(u"a+", 255) + u"1", 0},
        {repeated(u"a+", 256) + u"1", too_complex},
        {repeated(u"a Or a And a = a & a+a*a^a Or ", 20) + u"1", 0},
        {repeated(u"(", 126) + u"1" + repeated(u")", 126), 0},
        {repeated(u"(", 128) + u"1" + repeated(u")", 128), too_complex},
        {repeated(u"Abs(", 100) + u"a" + repeated(u")", 100), 0},
        {subqueries_under_chains(3), 0},
        {subqueries_under_chains(5), too_complex},
    };
    for (const auto& [expression, expected] : cases) {
        MemoryCatalog catalog = one_table();
        catalog.add_query(u"Q0", Rows().input(u"T").column(expression, u"x").done());
        EXPECT_EQ(compile_error(catalog), expected)
            << text::utf16_to_utf8(expression.substr(0, 40)) << " (" << expression.size() << ")";
    }
}

// Queries within the parser's bounds each, on each other through subqueries or derived tables, reach far
// deeper together (3200 levels took 2 to 4 MB of stack): the compiler bounds the whole, also when the queries
// are compiled from the bottom up and each is then used deeper than it went alone.
TEST(QueryLimits, ChainsOfQueriesOnQueriesAreTooComplex) {
    const auto derived_tables = [](const std::u16string& innermost) {
        std::u16string text = u"SELECT a FROM " + innermost;
        for (int level = 0; level < 63; ++level) text = u"SELECT a FROM (" + text + u") AS d";
        return text;
    };
    MemoryCatalog subqueries = one_table(), derived = one_table();
    subqueries.add_query(u"Q40", Rows().input(u"T").column(u"a").done());
    for (std::size_t level = 40; level-- > 0;) {
        const std::u16string below =
            u"(SELECT a FROM " + numbered(u"Q", level + 1) + u")" + repeated(u"+a", 100);
        subqueries.add_query(numbered(u"Q", level), Rows().input(u"T").column(below, u"a").done());
    }
    derived.add_query(u"Q49", Rows().nested_input(derived_tables(u"T"), u"x").column(u"a").done());
    for (std::size_t level = 49; level-- > 0;)
        derived.add_query(
            numbered(u"Q", level),
            Rows().nested_input(derived_tables(numbered(u"Q", level + 1)), u"x").column(u"a").done());
    EXPECT_EQ(compile_error(subqueries), too_complex);
    EXPECT_EQ(compile_error(subqueries, u"Q38"), 0);
    EXPECT_EQ(compile_error(derived), too_complex);
    EXPECT_EQ(compile_error(derived, u"Q45"), 0);

    CompiledQueries compiled;
    std::int32_t error = 0;
    for (std::size_t level = 41; level-- > 0;) {
        try {
            resolve_query_fields(numbered(u"Q", level), subqueries.rows(numbered(u"Q", level)), subqueries,
                                 compiled);
            error = 0;
        } catch (const Error& e) {
            error = e.number();
        }
    }
    EXPECT_EQ(error, too_complex) << "Q0 compiled last";
}

// Q<level> takes all fields of `copies` aliases of Q<level + 1>; the last level reads table T. Unbounded,
// 3 levels of 20 copies over 255 fields asked for 2,040,000 fields (19 s, 1.2 GB); the engine's limit is 255.
TEST(QueryLimits, AllFieldsOverManyCopiesStopsAtTheEngineLimit) {
    struct Shape {
        std::size_t levels, copies, table_fields;
        std::int32_t expected;
    };
    for (const Shape s :
         {Shape{1, 1, 255, 0}, Shape{1, 5, 51, 0}, Shape{2, 1, 255, 0}, Shape{1, 1, 256, too_many_fields},
          Shape{3, 20, 255, too_many_fields}, Shape{4, 20, 255, too_many_fields}}) {
        MemoryCatalog catalog;
        std::vector<FieldDescription> fields;
        for (std::size_t i = 0; i < s.table_fields; ++i)
            fields.push_back(table_field(numbered(u"f", i), 4, 4, 1));
        catalog.add_table(u"T", fields);
        for (std::size_t level = 0; level < s.levels; ++level) {
            Rows rows;
            rows.flags(1);  // all fields
            for (std::size_t copy = 0; copy < s.copies; ++copy)
                rows.input(level + 1 < s.levels ? numbered(u"Q", level + 1) : u"T", numbered(u"t", copy));
            catalog.add_query(numbered(u"Q", level), rows.done());
        }
        EXPECT_EQ(compile_error(catalog), s.expected)
            << s.levels << " levels of " << s.copies << " copies of " << s.table_fields;
        if (s.expected == 0) {
            EXPECT_EQ(resolve_query_fields(u"Q0", catalog.rows(u"Q0"), catalog).size(), 255u);
        }
        if (s.levels > 2) {
            try {
                resolve_query_fields(u"Q0", catalog.rows(u"Q0"), catalog);
            } catch (const Error& e) {
                EXPECT_NE(e.description().find(numbered(u"'Q", s.levels - 1) + u"'"), std::u16string::npos)
                    << "the deepest query is the first to pass the limit";
            }
        }
    }
}

}  // namespace
}  // namespace qz::query::test

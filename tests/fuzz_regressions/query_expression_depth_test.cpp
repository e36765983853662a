// Saved-query expressions the fuzz_query_fields target found to overflow the stack. A query's expression
// is memo text from the file, so a damaged or hostile file decides how deep it nests; the sound answer is
// its fields or error 3360 (too complex), never a crash. Disabled until the function each case names
// bounds its depth: a crash would take the whole test program down with it.

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

// 0 when the query compiles, else the number of the error it raises.
std::int32_t compile_error(const std::u16string& column_expression) {
    MemoryCatalog catalog;
    catalog.add_table(u"T", {table_field(u"a", 4, 4, 1)});
    try {
        resolve_query_fields(u"Q", Rows().input(u"T").column(column_expression, u"x").done(), catalog);
        return 0;
    } catch (const Error& error) {
        return error.number();
    }
}

// Compiler::value_of (platform/query/query_fields.cpp) recurses once per operator of a chain such as
// a+a+...+1, which the parser builds without counting it as nesting: 20000 terms overflow an 8 MB stack
// in a release build (3000 in the address-sanitizer build).
TEST(DeepQueryExpression, DISABLED_LongOperatorChainGivesFieldsOrTooComplex) {
    const std::int32_t error = compile_error(repeated(u"a+", 20000) + u"1");
    EXPECT_TRUE(error == 0 || error == too_complex) << error;
}

// Parser::expression_at (platform/query/sql_parser.cpp) walks every precedence level for each parenthesis,
// and its limit of 128 levels is deeper than the stack holds in the address-sanitizer build: 110 nested
// parentheses overflow it there.
TEST(DeepQueryExpression, DISABLED_HundredTenParenthesesGiveFieldsOrTooComplex) {
    const std::int32_t error = compile_error(repeated(u"(", 110) + u"1" + repeated(u")", 110));
    EXPECT_TRUE(error == 0 || error == too_complex) << error;
}

}  // namespace
}  // namespace qz::query::test

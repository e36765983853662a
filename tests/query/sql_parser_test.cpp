#include "platform/query/sql_parser.hpp"

#include <gtest/gtest.h>

#include "platform/error.hpp"
#include "platform/query/names.hpp"

namespace qz::query {
namespace {

// The tree as a bracketed prefix form, so one line shows how an expression was grouped.
std::u16string shape(const Expression& e) {
    using Kind = Expression::Kind;
    std::u16string inner;
    for (const Expression& operand : e.operands) inner += u" " + shape(operand);
    const std::u16string negated = e.negated ? u"not " : u"";
    switch (e.kind) {
        case Kind::text_literal: return u"\"" + e.text + u"\"";
        case Kind::number_literal: return e.text;
        case Kind::date_literal: return u"#" + e.text + u"#";
        case Kind::boolean_literal: return e.text;
        case Kind::null_literal: return u"Null";
        case Kind::name: return u"{" + e.path + u"}";
        case Kind::star: return u"{" + e.path + u"*}";
        case Kind::call: return u"(" + e.text + u"()" + inner + u")";
        case Kind::unary:
        case Kind::binary: return u"(" + negated + e.text + inner + u")";
        case Kind::between: return u"(" + negated + u"between" + inner + u")";
        case Kind::in_list: return u"(" + negated + u"in" + inner + (e.select ? u" select" : u"") + u")";
        case Kind::is_null: return u"(" + negated + u"isnull" + inner + u")";
        case Kind::subquery: return u"(select)";
        case Kind::exists: return u"(exists)";
    }
    return u"?";
}

struct ShapeCase {
    const char16_t* text;
    const char16_t* shape;
};

class ExpressionShape : public ::testing::TestWithParam<ShapeCase> {};

// A precedence or token fault groups an expression differently, and so types its column wrongly.
TEST_P(ExpressionShape, GroupsAsTheEngineDoes) {
    EXPECT_EQ(shape(parse_expression(GetParam().text, u"Q")), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, ExpressionShape,
    ::testing::Values(
        ShapeCase{u"a + b * c", u"(+ {a} (* {b} {c}))"}, ShapeCase{u"-2 ^ 2", u"(- (^ 2 2))"},
        ShapeCase{u"a & b + c", u"(& {a} (+ {b} {c}))"}, ShapeCase{u"a \\ b * c", u"(\\ {a} (* {b} {c}))"},
        ShapeCase{u"a Mod b \\ c", u"(Mod {a} (\\ {b} {c}))"}, ShapeCase{u"Not a = b", u"(Not (= {a} {b}))"},
        ShapeCase{u"a Or b And c", u"(Or {a} (And {b} {c}))"},
        ShapeCase{u"a Imp b Eqv c Xor d", u"(Imp {a} (Eqv {b} (Xor {c} {d})))"},
        ShapeCase{u"x Between 1 And 2 And y", u"(And (between {x} 1 2) {y})"},
        ShapeCase{u"x Not Between 1 And 2", u"(not between {x} 1 2)"},
        ShapeCase{u"x Is Not Null Or x Is Null", u"(Or (not isnull {x}) (isnull {x}))"},
        ShapeCase{u"x Not In (\"a\", 'b''c')", u"(not in {x} \"a\" \"b'c\")"},
        ShapeCase{u"x In (SELECT y FROM T)", u"(in {x} select)"},
        ShapeCase{u"x Not Like \"a*\"", u"(not Like {x} \"a*\")"}, ShapeCase{u"a <= b", u"(<= {a} {b})"},
        ShapeCase{u"a<>b", u"(<> {a} {b})"}));

INSTANTIATE_TEST_SUITE_P(
    Operands, ExpressionShape,
    ::testing::Values(
        ShapeCase{u"[Order Details].[Unit Price]", u"{Order Details.Unit Price}"},
        ShapeCase{u"Table2_1.col1", u"{Table2_1.col1}"}, ShapeCase{u"[Products].*", u"{Products.*}"},
        ShapeCase{u"[Forms]![Ordrar]![cboFöretag]", u"{Forms!Ordrar!cboFöretag}"},
        ShapeCase{u"[a.b]", u"{a.b}"}, ShapeCase{u"`Order Details`.Qty", u"{Order Details.Qty}"}, ShapeCase{u"#1/2/2003 10:00#", u"#1/2/2003 10:00#"},
        ShapeCase{u"1.5E3", u"1.5E3"}, ShapeCase{u".5", u".5"}, ShapeCase{u"True", u"True"},
        ShapeCase{u"Count(*)", u"(Count() {*})"}, ShapeCase{u"Now()", u"(Now())"},
        ShapeCase{u"Mid$(x, 2)", u"(Mid$() {x} 2)"},
        ShapeCase{u"IIf(a Is Null, 0, Sum(b))", u"(IIf() (isnull {a}) 0 (Sum() {b}))"},
        ShapeCase{u"(SELECT Max(x) FROM T)", u"(select)"}, ShapeCase{u"Exists (SELECT * FROM T)", u"(exists)"},
        ShapeCase{u"((([Table1].[col1])>\"10\"))", u"(> {Table1.col1} \"10\")"}));

class UnparsableText : public ::testing::TestWithParam<const char16_t*> {};

// Text the parser cannot read must fail loudly, naming the query, never yield a guessed field.
TEST_P(UnparsableText, Is3075NamingTheQuery) {
    try {
        parse_expression(GetParam(), u"My Query");
        FAIL() << "parsed";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 3075);
        EXPECT_NE(error.description().find(u"'My Query'"), std::u16string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, UnparsableText,
                         ::testing::Values(u"a +", u"(a", u"[abc", u"\"abc", u"Sum(a", u"a b", u"#1/1/2000", u"a @ b",
                                           u"x Between 1", u"x Is 3", u"", u"a.", u"FROM", u"f(a,)"));

TEST(SqlParser, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    const std::u16string deep = std::u16string(100000, u'(') + u"1" + std::u16string(100000, u')');
    try {
        parse_expression(deep, u"Q");
        FAIL() << "parsed";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 3360);
    }
    EXPECT_EQ(shape(parse_expression(std::u16string(60, u'(') + u"1" + std::u16string(60, u')'), u"Q")), u"1");
}

TEST(SqlParser, UnionPartWithoutFromGivesItsFirstSelect) {
    const SelectStatement s = parse_select(
        u"Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\nSelect Table2.col1, Table2.col2\r\n",
        u"UnionQuery");
    EXPECT_TRUE(s.in_union);
    EXPECT_TRUE(s.sources.empty());
    ASSERT_EQ(s.columns.size(), 2u);
    EXPECT_EQ(s.columns[1].expression.path, u"Table1.col2");
}

TEST(SqlParser, SelectReadsSourcesJoinsAliasesAndClauses) {
    const SelectStatement s = parse_select(
        u"PARAMETERS [p] Text ( 255 ); SELECT DISTINCT TOP 10 PERCENT a.x AS [The X], Count(*) AS n "
        u"FROM (Orders AS a INNER JOIN [Order Lines] b ON a.id = b.id) LEFT OUTER JOIN "
        u"(SELECT id FROM Extra) AS e ON e.id = a.id, Other IN 'C:\\other.mdb' "
        u"WHERE a.x > [p] GROUP BY a.x HAVING Count(*) > 1 ORDER BY a.x DESC;\0",
        u"Q");
    EXPECT_TRUE(s.distinct);
    EXPECT_TRUE(s.grouped);
    ASSERT_EQ(s.sources.size(), 4u);
    EXPECT_EQ(s.sources[0].reference_name(), u"a");
    EXPECT_EQ(s.sources[1].name, u"Order Lines");
    EXPECT_EQ(s.sources[1].alias, u"b");
    EXPECT_TRUE(s.sources[2].derived);
    EXPECT_EQ(s.sources[2].alias, u"e");
    EXPECT_EQ(s.sources[3].name, u"Other");
    ASSERT_EQ(s.columns.size(), 2u);
    EXPECT_EQ(s.columns[0].alias, u"The X");
}

}  // namespace
}  // namespace qz::query

#include "platform/query/sql_parser.hpp"

#include <gtest/gtest.h>

#include "platform/error.hpp"
#include "platform/query/names.hpp"
#include "platform/text/code_page.hpp"

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
        case Kind::number_literal:
        case Kind::boolean_literal: return e.text;
        case Kind::date_literal: return u"#" + e.text + u"#";
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

// A precedence or token fault groups an expression differently, and so types its column wrongly.
TEST(SqlParser, GroupsExpressionsAsTheEngineDoes) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a + b * c", u"(+ {a} (* {b} {c}))"}, {u"-2 ^ 2", u"(- (^ 2 2))"}, {u"a & b + c", u"(& {a} (+ {b} {c}))"},
        {u"a \\ b * c", u"(\\ {a} (* {b} {c}))"}, {u"a Mod b \\ c", u"(Mod {a} (\\ {b} {c}))"},
        {u"Not a = b", u"(Not (= {a} {b}))"}, {u"a Or b And c", u"(Or {a} (And {b} {c}))"},
        {u"a Imp b Eqv c Xor d", u"(Imp {a} (Eqv {b} (Xor {c} {d})))"},
        {u"x Between 1 And 2 And y", u"(And (between {x} 1 2) {y})"}, {u"x Not Between 1 And 2", u"(not between {x} 1 2)"},
        {u"x Is Not Null Or x Is Null", u"(Or (not isnull {x}) (isnull {x}))"},
        {u"x Not In (\"a\", 'b''c')", u"(not in {x} \"a\" \"b'c\")"}, {u"x In (SELECT y FROM T)", u"(in {x} select)"},
        {u"x Not Like \"a*\"", u"(not Like {x} \"a*\")"}, {u"a <= b", u"(<= {a} {b})"}, {u"a<>b", u"(<> {a} {b})"},
        {u"[Order Details].[Unit Price]", u"{Order Details.Unit Price}"}, {u"Table2_1.col1", u"{Table2_1.col1}"},
        {u"[Products].*", u"{Products.*}"}, {u"[Forms]![Ordrar]![cboFöretag]", u"{Forms!Ordrar!cboFöretag}"},
        {u"[a.b]", u"{a.b}"}, {u"`Order Details`.Qty", u"{Order Details.Qty}"}, {u"#1/2/2003 10:00#", u"#1/2/2003 10:00#"},
        {u"1.5E3", u"1.5E3"}, {u".5", u".5"}, {u"True", u"True"}, {u"Count(*)", u"(Count() {*})"}, {u"Now()", u"(Now())"},
        {u"Mid$(x, 2)", u"(Mid$() {x} 2)"}, {u"IIf(a Is Null, 0, Sum(b))", u"(IIf() (isnull {a}) 0 (Sum() {b}))"},
        {u"(SELECT Max(x) FROM T)", u"(select)"}, {u"Exists (SELECT * FROM T)", u"(exists)"},
        {u"((([Table1].[col1])>\"10\"))", u"(> {Table1.col1} \"10\")"},
        {std::u16string(60, u'(') + u"1" + std::u16string(60, u')'), u"1"},
    };
    for (const auto& [text, grouped] : cases) EXPECT_EQ(shape(parse_expression(text, u"Q")), grouped);
}

// Text the parser cannot read must fail loudly, naming the query, never yield a guessed field; nesting
// deeper than the engine takes is refused before it exhausts the stack.
TEST(SqlParser, UnparsableTextIs3075NamingTheQuery) {
    const std::u16string deep = std::u16string(100000, u'(') + u"1" + std::u16string(100000, u')');
    for (const std::u16string text : {u"a +", u"(a", u"[abc", u"\"abc", u"Sum(a", u"a b", u"#1/1/2000", u"a @ b",
                                       u"x Between 1", u"x Is 3", u"", u"a.", u"FROM", u"f(a,)", deep.c_str()}) {
        try {
            parse_expression(text, u"My Query");
            ADD_FAILURE() << "parsed " << text::utf16_to_utf8(text);
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), text.size() == deep.size() ? 3360 : 3075);
            if (error.number() == 3075) {
                EXPECT_NE(error.description().find(u"'My Query'"), std::u16string::npos);
            }
        }
    }
}

TEST(SqlParser, SelectReadsSourcesJoinsAliasesAndClauses) {
    const SelectStatement s = parse_select(
        u"PARAMETERS [p] Text ( 255 ); SELECT DISTINCT TOP 10 PERCENT a.x AS [The X], Count(*) AS n "
        u"FROM (Orders AS a INNER JOIN [Order Lines] b ON a.id = b.id) LEFT OUTER JOIN "
        u"(SELECT id FROM Extra) AS e ON e.id = a.id, Other IN 'C:\\other.mdb' "
        u"WHERE a.x > [p] GROUP BY a.x HAVING Count(*) > 1 ORDER BY a.x DESC;\0",
        u"Q");
    EXPECT_TRUE(s.distinct && s.grouped);
    ASSERT_EQ(s.sources.size(), 4u);
    EXPECT_EQ(s.sources[0].reference_name(), u"a");
    EXPECT_EQ(s.sources[1].name + u"/" + s.sources[1].alias, u"Order Lines/b");
    EXPECT_TRUE(s.sources[2].derived);
    EXPECT_EQ(s.sources[2].alias, u"e");
    EXPECT_EQ(s.sources[3].name, u"Other");
    ASSERT_EQ(s.columns.size(), 2u);
    EXPECT_EQ(s.columns[0].alias, u"The X");

    const SelectStatement part = parse_select(
        u"Select Table1.col1, Table1.col2\r\nwhere Table1.col1 = \"foo\"\r\nUNION\r\nSelect Table2.col1\r\n", u"U");
    EXPECT_TRUE(part.in_union && part.sources.empty()) << "a union part without FROM gives its first select";
    ASSERT_EQ(part.columns.size(), 2u);
    EXPECT_EQ(part.columns[1].expression.path, u"Table1.col2");
}

}  // namespace
}  // namespace qz::query

#include "platform/query/sql_parser.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/errors.hpp"
#include "platform/query/sql_tokens.hpp"

namespace qz::query {

namespace {

// Deeper parse recursion (parentheses, prefix operators, nested SELECTs) and deeper expression trees
// (operator chains included) are refused rather than risking the stack on a damaged or hostile text.
constexpr int max_nesting = 128;
constexpr std::size_t max_depth = 256;

// Words that end an expression or a source name; they are never read as bare names.
constexpr std::array<std::u16string_view, 26> clause_words = {
    u"SELECT", u"FROM",  u"WHERE", u"GROUP", u"HAVING", u"ORDER", u"BY",    u"AS",   u"ON",
    u"JOIN",   u"INNER", u"LEFT",  u"RIGHT", u"OUTER",  u"FULL",  u"UNION", u"INTO", u"WITH",
    u"PIVOT",  u"TRANSFORM", u"ASC", u"DESC", u"TOP", u"DISTINCT", u"DISTINCTROW", u"PARAMETERS"};

bool is_clause_word(const Token& token) {
    for (std::u16string_view word : clause_words) {
        if (token.is_word(word)) return true;
    }
    return false;
}

class Parser {
public:
    Parser(std::u16string_view text, const std::u16string& query)
        : text_(text), query_(query), tokens_(tokenize(text, query)) {}

    Expression whole_expression() {
        Expression expression = expression_at(Level::imp);
        expect_end();
        return expression;
    }

    SelectStatement whole_select() {
        skip_parameters();
        SelectStatement statement = query_expression();
        accept_symbol(u";");
        expect_end();
        return statement;
    }

private:
    // Binding strength, loosest first, as the engine's expression service orders its operators.
    enum class Level { imp, eqv, xor_, or_, and_, not_, comparison, concatenation, additive, modulo,
                       integer_division, multiplicative, unary, power, primary };

    static Level tighter(Level level) { return static_cast<Level>(static_cast<int>(level) + 1); }

    const Token& peek(std::size_t ahead = 0) const {
        const std::size_t at = pos_ + ahead;
        return at < tokens_.size() ? tokens_[at] : tokens_.back();
    }
    Token take() { return pos_ + 1 < tokens_.size() ? tokens_[pos_++] : tokens_.back(); }

    bool accept_symbol(std::u16string_view symbol) {
        if (!peek().is_symbol(symbol)) return false;
        ++pos_;
        return true;
    }
    bool accept_word(std::u16string_view word) {
        if (!peek().is_word(word)) return false;
        ++pos_;
        return true;
    }
    void expect_symbol(std::u16string_view symbol) {
        if (!accept_symbol(symbol)) fail();
    }
    void expect_word(std::u16string_view word) {
        if (!accept_word(word)) fail();
    }
    void expect_end() {
        if (peek().kind != Token::Kind::end) fail();
    }
    [[noreturn]] void fail() const { throw errors::syntax_error(query_, std::u16string(text_)); }

    // Counts nesting while a parse function runs.
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : parser_(parser) {
            if (++parser_.nesting_ > max_nesting) throw errors::too_complex(parser_.query_);
        }
        ~Nesting() { --parser_.nesting_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    // Builds a node and refuses a tree deeper than max_depth: compiling and freeing it recurse per level.
    Expression make(Expression::Kind kind, std::u16string text, std::vector<Expression> operands = {},
                    std::shared_ptr<const SelectStatement> select = nullptr) const {
        Expression expression;
        expression.kind = kind;
        expression.text = std::move(text);
        expression.operands = std::move(operands);
        expression.select = std::move(select);
        std::size_t below = expression.select ? depth_of(*expression.select) : 0;
        for (const Expression& operand : expression.operands) below = std::max(below, operand.depth);
        expression.depth = below + 1;
        if (expression.depth > max_depth) throw errors::too_complex(query_);
        return expression;
    }

    // The deepest expression a compiled statement holds: its columns and, one level down, its derived sources.
    static std::size_t depth_of(const SelectStatement& statement) {
        std::size_t depth = 0;
        for (const OutputColumn& column : statement.columns) depth = std::max(depth, column.expression.depth);
        for (const TableSource& source : statement.sources) {
            if (source.derived) depth = std::max(depth, depth_of(*source.derived) + 1);
        }
        return depth;
    }

    Expression binary(std::u16string op, Expression left, Expression right) {
        std::vector<Expression> operands;
        operands.push_back(std::move(left));
        operands.push_back(std::move(right));
        return make(Expression::Kind::binary, std::move(op), std::move(operands));
    }

    struct Infix {
        Level level;
        std::u16string text;
    };

    // The binary operator at the current token and the level it binds at, if any.
    std::optional<Infix> infix() const {
        const Token& token = peek();
        for (const auto& [word, level] : {std::pair{u"Imp", Level::imp}, std::pair{u"Eqv", Level::eqv},
                                          std::pair{u"Xor", Level::xor_}, std::pair{u"Or", Level::or_},
                                          std::pair{u"And", Level::and_}, std::pair{u"Mod", Level::modulo}}) {
            if (token.is_word(word)) return Infix{level, word};
        }
        for (const auto& [symbol, level] :
             {std::pair{u"&", Level::concatenation}, std::pair{u"+", Level::additive}, std::pair{u"-", Level::additive},
              std::pair{u"\\", Level::integer_division}, std::pair{u"*", Level::multiplicative},
              std::pair{u"/", Level::multiplicative}, std::pair{u"^", Level::power}, std::pair{u"=", Level::comparison},
              std::pair{u"<>", Level::comparison}, std::pair{u"<", Level::comparison}, std::pair{u">", Level::comparison},
              std::pair{u"<=", Level::comparison}, std::pair{u">=", Level::comparison}}) {
            if (token.is_symbol(symbol)) return Infix{level, token.text};
        }
        const bool negated_comparison =
            token.is_word(u"Not") && (peek(1).is_word(u"Like") || peek(1).is_word(u"In") || peek(1).is_word(u"Between"));
        if (negated_comparison || token.is_word(u"Is") || token.is_word(u"Like") || token.is_word(u"Between") ||
            token.is_word(u"In")) {
            return Infix{Level::comparison, u""};
        }
        return std::nullopt;
    }

    // An operand followed by every operator that binds at `lowest` or tighter. Each right operand is read
    // at the next tighter level, so a chain of one level grows in this loop and a parenthesis costs a few
    // stack frames rather than one per level.
    Expression expression_at(Level lowest) {
        // A whole expression (in parentheses, arguments, subqueries) nests one deeper.
        std::optional<Nesting> nesting;
        if (lowest == Level::imp) nesting.emplace(*this);
        Expression left = operand(lowest);
        for (std::optional<Infix> op = infix(); op && op->level >= lowest; op = infix()) {
            if (op->level == Level::comparison) {
                left = comparison(std::move(left));
            } else {
                ++pos_;
                left = binary(op->text, std::move(left), expression_at(tighter(op->level)));
            }
        }
        return left;
    }

    // A prefix operator allowed at `lowest` with its operand, or a primary. Each prefix nests one deeper.
    Expression operand(Level lowest) {
        if (lowest <= Level::not_ && accept_word(u"Not")) {
            Nesting prefix(*this);
            return make(Expression::Kind::unary, u"Not", one(expression_at(Level::not_)));
        }
        if (lowest <= Level::unary && (peek().is_symbol(u"-") || peek().is_symbol(u"+"))) {
            Nesting prefix(*this);
            const std::u16string sign = take().text;
            return make(Expression::Kind::unary, sign, one(expression_at(Level::unary)));
        }
        return primary();
    }

    static std::vector<Expression> one(Expression expression) {
        std::vector<Expression> operands;
        operands.push_back(std::move(expression));
        return operands;
    }

    // One comparison, Is [Not] Null, [Not] Like, [Not] Between or [Not] In applied to `left`.
    Expression comparison(Expression left) {
        const Token& token = peek();
        if (token.kind == Token::Kind::symbol) {
            const std::u16string op = take().text;
            return binary(op, std::move(left), expression_at(Level::concatenation));
        }
        if (accept_word(u"Is")) {
            const bool negated = accept_word(u"Not");
            expect_word(u"Null");
            Expression is_null = make(Expression::Kind::is_null, u"", one(std::move(left)));
            is_null.negated = negated;
            return is_null;
        }
        const bool negated = accept_word(u"Not");
        Expression result;
        if (accept_word(u"Like")) {
            result = binary(u"Like", std::move(left), expression_at(Level::concatenation));
        } else if (accept_word(u"Between")) {
            std::vector<Expression> operands = one(std::move(left));
            operands.push_back(expression_at(Level::concatenation));
            expect_word(u"And");
            operands.push_back(expression_at(Level::concatenation));
            result = make(Expression::Kind::between, u"", std::move(operands));
        } else {
            expect_word(u"In");
            result = in_list(std::move(left));
        }
        result.negated = negated;
        return result;
    }

    Expression in_list(Expression value) {
        std::vector<Expression> operands = one(std::move(value));
        std::shared_ptr<const SelectStatement> select;
        expect_symbol(u"(");
        if (peek().is_word(u"SELECT")) {
            select = nested_select();
        } else {
            do {
                operands.push_back(expression_at(Level::imp));
            } while (accept_symbol(u","));
        }
        expect_symbol(u")");
        return make(Expression::Kind::in_list, u"", std::move(operands), std::move(select));
    }

    std::shared_ptr<const SelectStatement> nested_select() {
        return std::make_shared<const SelectStatement>(query_expression());
    }

    Expression primary() {
        const Token token = peek();
        switch (token.kind) {
            case Token::Kind::number: ++pos_; return make(Expression::Kind::number_literal, token.text);
            case Token::Kind::text: ++pos_; return make(Expression::Kind::text_literal, token.text);
            case Token::Kind::date: ++pos_; return make(Expression::Kind::date_literal, token.text);
            case Token::Kind::bracketed: return reference();
            case Token::Kind::word: return word_primary();
            case Token::Kind::symbol:
                if (accept_symbol(u"*")) return make(Expression::Kind::star, u"");
                if (accept_symbol(u"(")) {
                    if (peek().is_word(u"SELECT")) {
                        Expression subquery = make(Expression::Kind::subquery, u"", {}, nested_select());
                        expect_symbol(u")");
                        return subquery;
                    }
                    Expression inner = expression_at(Level::imp);
                    expect_symbol(u")");
                    return inner;
                }
                fail();
            case Token::Kind::end: fail();
        }
        fail();
    }

    Expression word_primary() {
        const Token& token = peek();
        if (is_clause_word(token)) fail();
        if (token.is_word(u"True") || token.is_word(u"False")) return make(Expression::Kind::boolean_literal, take().text);
        if (token.is_word(u"Null")) {
            ++pos_;
            return make(Expression::Kind::null_literal, u"");
        }
        if (token.is_word(u"Exists") && peek(1).is_symbol(u"(")) {
            pos_ += 2;
            if (!peek().is_word(u"SELECT")) fail();
            Expression exists = make(Expression::Kind::exists, u"", {}, nested_select());
            expect_symbol(u")");
            return exists;
        }
        if (peek(1).is_symbol(u"(")) return call();
        return reference();
    }

    Expression call() {
        std::u16string function = take().text;
        std::vector<Expression> arguments;
        expect_symbol(u"(");
        if (!accept_symbol(u")")) {
            do {
                arguments.push_back(expression_at(Level::imp));
            } while (accept_symbol(u","));
            expect_symbol(u")");
        }
        return make(Expression::Kind::call, std::move(function), std::move(arguments));
    }

    // A name chain: a, [a], a.b, Forms!f!c, t.* ...
    Expression reference() {
        Expression name = make(Expression::Kind::name, u"");
        while (true) {
            const Token& part = peek();
            if (part.kind == Token::Kind::bracketed || (part.kind == Token::Kind::word && !is_clause_word(part))) {
                name.parts.push_back(part.text);
                name.path += part.text;
                ++pos_;
            } else {
                fail();
            }
            if (peek().is_symbol(u".") || peek().is_symbol(u"!")) {
                name.path += take().text;
                if (name.path.back() == u'.' && accept_symbol(u"*")) {
                    name.kind = Expression::Kind::star;
                    return name;
                }
                continue;
            }
            return name;
        }
    }

    void skip_parameters() {
        if (!accept_word(u"PARAMETERS")) return;
        while (!accept_symbol(u";")) {
            if (peek().kind == Token::Kind::end) fail();
            ++pos_;
        }
    }

    // SELECT ... [UNION [ALL] SELECT ...]... [ORDER BY ...]; parenthesised parts allowed.
    SelectStatement query_expression() {
        Nesting nesting(*this);
        SelectStatement first = query_term();
        while (accept_word(u"UNION")) {
            accept_word(u"ALL");
            first.in_union = true;
            query_term();
        }
        order_by();
        return first;
    }

    SelectStatement query_term() {
        if (accept_symbol(u"(")) {
            SelectStatement inner = query_expression();
            expect_symbol(u")");
            return inner;
        }
        expect_word(u"SELECT");
        SelectStatement statement;
        if (accept_word(u"DISTINCT")) {
            statement.distinct = true;
        } else if (accept_word(u"DISTINCTROW")) {
            statement.distinct_row = true;
        } else {
            accept_word(u"ALL");
        }
        if (accept_word(u"TOP")) {
            if (take().kind != Token::Kind::number) fail();
            accept_word(u"PERCENT");
        }
        do {
            statement.columns.push_back(output_column());
        } while (accept_symbol(u","));
        if (accept_word(u"INTO")) {
            source_name();
            external_database();
        }
        if (accept_word(u"FROM")) {
            do {
                joined_sources(statement.sources);
            } while (accept_symbol(u","));
        }
        if (accept_word(u"WHERE")) expression_at(Level::imp);
        if (accept_word(u"GROUP")) {
            expect_word(u"BY");
            statement.grouped = true;
            do {
                expression_at(Level::imp);
            } while (accept_symbol(u","));
        }
        if (accept_word(u"HAVING")) {
            statement.grouped = true;
            expression_at(Level::imp);
        }
        order_by();
        if (accept_word(u"WITH")) {
            expect_word(u"OWNERACCESS");
            expect_word(u"OPTION");
        }
        return statement;
    }

    void order_by() {
        if (!accept_word(u"ORDER")) return;
        expect_word(u"BY");
        do {
            expression_at(Level::imp);
            if (!accept_word(u"ASC")) accept_word(u"DESC");
        } while (accept_symbol(u","));
    }

    OutputColumn output_column() {
        OutputColumn column;
        column.expression = expression_at(Level::imp);
        if (accept_word(u"AS")) column.alias = alias_name();
        return column;
    }

    std::u16string alias_name() {
        const Token& token = peek();
        if (token.kind == Token::Kind::bracketed || token.kind == Token::Kind::text ||
            (token.kind == Token::Kind::word && !is_clause_word(token))) {
            return take().text;
        }
        fail();
    }

    std::u16string source_name() {
        const Token& token = peek();
        if (token.kind != Token::Kind::bracketed && (token.kind != Token::Kind::word || is_clause_word(token))) fail();
        return take().text;
    }

    // IN 'path' [type] or IN [type; DATABASE=path]: a source in another file.
    void external_database() {
        if (!accept_word(u"IN")) return;
        if (peek().kind == Token::Kind::text) ++pos_;
        if (peek().kind == Token::Kind::bracketed) ++pos_;
    }

    // One entry of a FROM list: a source followed by any number of joins.
    void joined_sources(std::vector<TableSource>& sources) {
        Nesting nesting(*this);
        source(sources);
        while (true) {
            if (accept_word(u"INNER")) {
            } else if (accept_word(u"LEFT") || accept_word(u"RIGHT")) {
                accept_word(u"OUTER");
            } else if (!peek().is_word(u"JOIN")) {
                return;
            }
            expect_word(u"JOIN");
            source(sources);
            expect_word(u"ON");
            expression_at(Level::imp);
        }
    }

    void source(std::vector<TableSource>& sources) {
        TableSource table;
        if (accept_symbol(u"(")) {
            if (!peek().is_word(u"SELECT")) {
                joined_sources(sources);
                expect_symbol(u")");
                return;
            }
            table.derived = nested_select();
            expect_symbol(u")");
        } else {
            table.name = source_name();
            external_database();
        }
        if (accept_word(u"AS")) {
            table.alias = alias_name();
        } else if (peek().kind == Token::Kind::bracketed ||
                   (peek().kind == Token::Kind::word && !is_clause_word(peek()) && !peek().is_word(u"IN"))) {
            table.alias = take().text;
        }
        if (table.derived && table.alias.empty()) fail();
        sources.push_back(std::move(table));
    }

    std::u16string_view text_;
    const std::u16string& query_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int nesting_ = 0;
};

}  // namespace

Expression parse_expression(std::u16string_view text, const std::u16string& query) {
    return Parser(text, query).whole_expression();
}

SelectStatement parse_select(std::u16string_view text, const std::u16string& query) {
    return Parser(text, query).whole_select();
}

}  // namespace qz::query

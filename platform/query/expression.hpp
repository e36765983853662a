#pragma once
// The parsed form of the engine's SQL: expressions and SELECT statements, as saved queries hold them.

#include <memory>
#include <string>
#include <vector>

namespace qz::query {

struct SelectStatement;

struct Expression {
    enum class Kind {
        text_literal,     // "abc"; `text` holds the value
        number_literal,   // 12 or 1.5; `text` holds the digits as written
        date_literal,     // #1/2/2003#; `text` holds what stands between the #
        boolean_literal,  // True / False; `text` holds the word
        null_literal,     // Null
        name,             // a field, parameter or control reference: `parts`, `path` as written without brackets
        star,             // * or t.*; `parts` holds the qualifier, if any
        call,             // function call: `text` the function name, `operands` the arguments
        unary,            // `text` "-", "+" or "Not"
        binary,           // `text` the operator: + - * / \ ^ Mod & = <> < > <= >= And Or Xor Eqv Imp Like
        between,          // operands: value, low, high; `negated` for Not Between
        in_list,          // operands: value then the list; or `subquery`; `negated` for Not In
        is_null,          // operands: value; `negated` for Is Not Null
        subquery,         // (SELECT ...) used as a value
        exists,           // Exists (SELECT ...)
    };

    Kind kind = Kind::null_literal;
    std::u16string text;
    std::vector<std::u16string> parts;
    // The reference as written with its separators but without brackets, e.g. Forms!Orders!Customer.
    std::u16string path;
    std::vector<Expression> operands;
    std::shared_ptr<const SelectStatement> select;
    bool negated = false;
    // Levels of the tree from this node down, those of `select` included; the parser bounds it.
    std::size_t depth = 1;
};

// One source of a FROM clause: a table or saved query, or a nested SELECT with its alias.
struct TableSource {
    std::u16string name;
    std::u16string alias;
    std::shared_ptr<const SelectStatement> derived;

    // The name by which the statement's expressions refer to this source.
    const std::u16string& reference_name() const { return alias.empty() ? name : alias; }
};

struct OutputColumn {
    Expression expression;
    std::u16string alias;
};

struct SelectStatement {
    bool distinct = false;       // DISTINCT: one row per distinct output, so nothing is updatable
    bool distinct_row = false;   // DISTINCTROW: the rows stay the source rows
    bool all_fields = false;     // SELECT * stored as a flag rather than as a column
    std::vector<TableSource> sources;
    std::vector<OutputColumn> columns;
    bool grouped = false;        // GROUP BY or HAVING present
    bool in_union = false;       // the first SELECT of a UNION
};

}  // namespace qz::query

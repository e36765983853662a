#pragma once
// A saved query as its MSysQueries rows describe it: kind, flags, parameters, inputs, joins, output columns,
// conditions, grouping, ordering and the parts of a union. Expressions stay text here; the resolver parses
// only what decides the output fields.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/query/query_fields.hpp"

namespace qz::query {

enum class QueryKind { select, make_table, append, update, delete_rows, crosstab, data_definition, pass_through,
                       union_all, other };

// Crosstab roles of an output column (the Flag of its row).
namespace crosstab_role {
inline constexpr std::int16_t value = 0;
inline constexpr std::int16_t pivot = 1;
inline constexpr std::int16_t row_heading = 2;
}  // namespace crosstab_role

struct QueryParameter {
    std::u16string name;
    std::int16_t type = 0;  // a column type code, 0 for an untyped parameter
};

struct QueryInput {
    std::u16string name;        // table or query name; empty for a nested SELECT
    std::u16string alias;
    std::u16string expression;  // the nested SELECT, or the other database a named input lives in
};

struct QueryJoin {
    std::int16_t kind = 0;  // 1 inner, 2 left, 3 right
    std::u16string left;
    std::u16string right;
    std::u16string condition;
};

struct QueryColumn {
    std::u16string expression;
    std::u16string alias;
    std::u16string target;  // append and update: the column written
    std::int16_t flag = 0;  // crosstab role, or the VALUES marker of an append
};

struct QueryGrouping {
    std::u16string expression;
    std::int16_t flag = 0;  // crosstab role
};

struct QueryOrdering {
    std::u16string expression;
    bool descending = false;
};

struct SavedQuery {
    QueryKind kind = QueryKind::select;
    std::int16_t flags = 0;              // the flags row: 0x01 all fields, 0x02 DISTINCT, 0x08 DISTINCTROW ...
    std::u16string top;                  // TOP value when flag 0x10 is set
    std::u16string target;               // make-table and append: the target table; pass-through: connect text
    std::u16string statement;            // data-definition and pass-through: the SQL text
    std::u16string other_database;       // FROM ... IN: the database the inputs live in
    std::vector<QueryParameter> parameters;
    std::vector<QueryInput> inputs;
    std::vector<QueryJoin> joins;
    std::vector<QueryColumn> columns;
    std::u16string where;
    std::vector<QueryGrouping> groupings;
    std::u16string having;
    std::vector<QueryOrdering> orderings;
    std::vector<std::u16string> union_parts;  // the SQL of each part of a union, in order

    bool all_fields() const { return (flags & 0x01) != 0; }
    bool distinct() const { return (flags & 0x02) != 0; }
    bool distinct_row() const { return (flags & 0x08) != 0; }
};

// The query that `rows` describe; the rows may come in any order.
SavedQuery build_saved_query(std::vector<QueryRow> rows);

}  // namespace qz::query

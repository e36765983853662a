#include "platform/query/saved_query.hpp"

#include <algorithm>
#include <utility>

namespace qz::query {

namespace {

// Attribute codes of MSysQueries rows.
namespace attribute {
constexpr int type = 1;
constexpr int parameter = 2;
constexpr int flags = 3;
constexpr int remote_database = 4;
constexpr int input = 5;
constexpr int column = 6;
constexpr int join = 7;
constexpr int where = 8;
constexpr int group_by = 9;
constexpr int having = 10;
constexpr int order_by = 11;
constexpr int end = 255;
}  // namespace attribute

// The Attribute column is a byte; a reader that takes it as signed gives the end row as -1.
int attribute_of(const QueryRow& row) { return row.attribute == -1 ? attribute::end : row.attribute; }

// The Name2 with which a union marks the rows that hold its parts' SQL.
constexpr std::u16string_view union_part_marker = u"X7YZ_____";

QueryKind kind_of(std::int16_t type_code) {
    switch (type_code) {
        case 1: return QueryKind::select;
        case 2: return QueryKind::make_table;
        case 3: return QueryKind::append;
        case 4: return QueryKind::update;
        case 5: return QueryKind::delete_rows;
        case 6: return QueryKind::crosstab;
        case 7: return QueryKind::data_definition;
        case 8: return QueryKind::pass_through;
        case 9: return QueryKind::union_all;
        default: return QueryKind::other;
    }
}

}  // namespace

SavedQuery build_saved_query(std::vector<QueryRow> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const QueryRow& a, const QueryRow& b) {
        const int attribute_a = attribute_of(a);
        const int attribute_b = attribute_of(b);
        return attribute_a != attribute_b ? attribute_a < attribute_b : a.order < b.order;
    });
    SavedQuery query;
    for (QueryRow& row : rows) {
        switch (attribute_of(row)) {
            case attribute::type:
                query.kind = kind_of(row.flag);
                query.target = std::move(row.name1);
                query.statement = std::move(row.expression);
                break;
            case attribute::parameter: query.parameters.push_back({std::move(row.name1), row.flag}); break;
            case attribute::flags:
                query.flags = row.flag;
                query.top = std::move(row.name1);
                break;
            case attribute::remote_database: query.other_database = std::move(row.name1); break;
            case attribute::input:
                if (row.name2.starts_with(union_part_marker)) {
                    query.union_parts.push_back(std::move(row.expression));
                } else {
                    query.inputs.push_back({std::move(row.name1), std::move(row.name2), std::move(row.expression)});
                }
                break;
            case attribute::column:
                query.columns.push_back({std::move(row.expression), std::move(row.name1), std::move(row.name2), row.flag});
                break;
            case attribute::join:
                query.joins.push_back({row.flag, std::move(row.name1), std::move(row.name2), std::move(row.expression)});
                break;
            case attribute::where: query.where = std::move(row.expression); break;
            case attribute::group_by: query.groupings.push_back({std::move(row.expression), row.flag}); break;
            case attribute::having: query.having = std::move(row.expression); break;
            case attribute::order_by:
                query.orderings.push_back({std::move(row.expression), row.name1 == u"D" || row.name1 == u"d"});
                break;
            default: break;  // start and end rows carry nothing
        }
    }
    return query;
}

}  // namespace qz::query

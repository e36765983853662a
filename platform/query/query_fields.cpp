#include "platform/query/query_fields.hpp"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/errors.hpp"
#include "platform/query/field_typing.hpp"
#include "platform/query/names.hpp"
#include "platform/query/saved_query.hpp"
#include "platform/query/sql_parser.hpp"

namespace qz::query {

namespace {

// Queries built on queries deeper than this are refused, as the engine refuses them, so a long chain
// cannot exhaust the stack.
constexpr std::size_t max_query_nesting = 50;

// Expressions and derived tables nest at most this deep while one query compiles, counted across the queries
// and subqueries it reaches, so the recursion that types them stays well inside the stack.
constexpr std::size_t max_value_nesting = 512;

// The engine gives a query at most this many output fields. Checked as each field is added, so that
// all-fields inputs multiplying through nested queries cannot build millions of fields first.
constexpr std::size_t max_output_fields = 255;

// The engine joins at most this many tables in one SELECT. Every name of the SELECT is looked up in each
// of its inputs, so the bound also keeps the time and memory of compiling a hostile query's long list of
// inputs from growing with the product of its inputs and their fields.
constexpr std::size_t max_inputs = 32;

// The attribute bit of a field that a query can write through.
constexpr std::int32_t updatable_attribute = 32;

// The first name the engine gives an unnamed computed column.
constexpr int first_expression_number = 1000;

// One input of a SELECT with the fields it offers.
struct Source {
    std::u16string reference_name;
    std::vector<FieldDescription> fields;
    bool is_table = false;
};

// What an expression yields: either a source field itself, or a computed value of some type.
struct ColumnValue {
    FieldDescription field;
    bool direct = false;     // a source field, which keeps all its values
    bool updatable = false;  // direct only: the source lets the field be written
    std::u16string qualifier;
};

struct OutputEntry {
    ColumnValue value;
    std::u16string alias;
};

struct Scope {
    const Scope* outer = nullptr;
    const std::vector<QueryParameter>* parameters = nullptr;
    std::vector<Source> sources;
    std::vector<std::pair<std::u16string, ColumnValue>> named_columns;  // earlier aliased columns
};

ColumnValue computed_value(ValueType type) {
    ColumnValue value;
    value.field.type = type.type;
    value.field.size = type.size;
    return value;
}

ValueType type_of(const ColumnValue& value) { return {value.field.type, value.field.size}; }

ValueType number_literal_type(const std::u16string& digits) {
    if (digits.find_first_of(u".eE") != std::u16string::npos || digits.size() > 10) return computed(field_type::double_float);
    long long number = 0;
    for (char16_t digit : digits) number = number * 10 + (digit - u'0');
    return computed(number > 2147483647LL ? field_type::double_float : field_type::long_integer);
}

ValueType parameter_type(std::int16_t code) {
    switch (code) {
        case field_type::none:
        case field_type::text: return computed(field_type::text);
        case field_type::binary: return {field_type::binary, 255};
        default: return computed(code);
    }
}

std::u16string without_brackets(std::u16string_view text) {
    std::u16string plain;
    for (char16_t c : text) {
        if (c != u'[' && c != u']') plain += c;
    }
    return plain;
}

bool has_aggregate(const Expression& expression) {
    if (expression.kind == Expression::Kind::call && is_aggregate(expression.text)) return true;
    for (const Expression& operand : expression.operands) {
        if (has_aggregate(operand)) return true;
    }
    return false;
}

std::u16string literal_name(const Expression& value) {
    return value.kind == Expression::Kind::name ? value.path : value.text;
}

class Compiler {
public:
    Compiler(const SourceCatalog& catalog, CompiledQueries& compiled)
        : catalog_(catalog), collating_order_(catalog.database_collating_order()), compiled_(compiled.by_name) {}

    std::vector<FieldDescription> saved_query_fields(const std::u16string& name, const std::vector<QueryRow>& rows) {
        OpenQuery open(*this, name);
        const SavedQuery query = build_saved_query(rows);
        switch (query.kind) {
            case QueryKind::select: return select_fields(statement_of(query, false), nullptr, query.parameters);
            case QueryKind::crosstab: return crosstab_fields(query);
            case QueryKind::union_all: return union_fields(query);
            default: return {};  // action, data-definition and pass-through queries return no rows
        }
    }

private:
    // Marks a saved query as being compiled while it is, for the cycle check and for error messages.
    class OpenQuery {
    public:
        OpenQuery(Compiler& compiler, const std::u16string& name) : compiler_(compiler) {
            for (const std::u16string& open : compiler_.open_queries_) {
                if (same_name(open, name)) throw errors::circular_reference(open);
            }
            if (compiler_.open_queries_.size() >= max_query_nesting)
                throw errors::too_complex(compiler_.open_queries_.front());
            compiler_.open_queries_.push_back(name);
            compiler_.deepest_query_ = std::max(compiler_.deepest_query_, compiler_.open_queries_.size());
        }
        ~OpenQuery() { compiler_.open_queries_.pop_back(); }
        OpenQuery(const OpenQuery&) = delete;
        OpenQuery& operator=(const OpenQuery&) = delete;

    private:
        Compiler& compiler_;
    };

    // Counts the expressions and derived tables being typed while one is.
    class ValueNesting {
    public:
        explicit ValueNesting(Compiler& compiler) : compiler_(compiler) {
            if (compiler_.value_nesting_ == max_value_nesting)
                throw errors::too_complex(compiler_.current_query());
            ++compiler_.value_nesting_;
            compiler_.deepest_value_ = std::max(compiler_.deepest_value_, compiler_.value_nesting_);
        }
        ~ValueNesting() { --compiler_.value_nesting_; }
        ValueNesting(const ValueNesting&) = delete;
        ValueNesting& operator=(const ValueNesting&) = delete;

    private:
        Compiler& compiler_;
    };

    const std::u16string& current_query() const { return open_queries_.back(); }

    SelectStatement statement_of(const SavedQuery& query, bool row_headings_only) {
        SelectStatement statement;
        statement.distinct = query.distinct();
        statement.distinct_row = query.distinct_row();
        statement.all_fields = query.all_fields() && !row_headings_only;
        statement.grouped = !query.groupings.empty() || !query.having.empty();
        for (const QueryInput& input : query.inputs) {
            TableSource source;
            source.alias = input.alias;
            if (input.name.empty()) {
                if (input.expression.empty()) throw errors::syntax_error(current_query(), input.alias);
                source.derived = std::make_shared<const SelectStatement>(parse_select(input.expression, current_query()));
            } else if (!input.expression.empty() || !query.other_database.empty()) {
                // The input lives in another database file, which this catalog cannot see.
                throw errors::input_not_found(input.name);
            } else {
                source.name = input.name;
            }
            statement.sources.push_back(std::move(source));
        }
        for (const QueryColumn& column : query.columns) {
            if (row_headings_only && column.flag != crosstab_role::row_heading) continue;
            statement.columns.push_back({parse_expression(column.expression, current_query()), column.alias});
        }
        return statement;
    }

    std::vector<FieldDescription> select_fields(const SelectStatement& statement, const Scope* outer,
                                                const std::vector<QueryParameter>& parameters) {
        Scope scope = scope_of(statement, outer, parameters);
        std::vector<OutputEntry> entries = column_entries(statement, scope);
        bool aggregated = false;
        for (const OutputColumn& column : statement.columns) aggregated = aggregated || has_aggregate(column.expression);
        const bool plain = !statement.distinct && !statement.grouped && !statement.in_union && !aggregated;
        return finish(entries, plain);
    }

    Scope scope_of(const SelectStatement& statement, const Scope* outer, const std::vector<QueryParameter>& parameters) {
        if (statement.sources.size() > max_inputs) throw errors::too_complex(current_query());
        Scope scope;
        scope.outer = outer;
        scope.parameters = &parameters;
        for (const TableSource& source : statement.sources) scope.sources.push_back(source_of(source, parameters));
        return scope;
    }

    Source source_of(const TableSource& table, const std::vector<QueryParameter>& parameters) {
        Source source;
        source.reference_name = table.reference_name();
        if (table.derived) {
            const ValueNesting nesting(*this);
            source.fields = select_fields(*table.derived, nullptr, parameters);
        } else if (std::optional<std::vector<FieldDescription>> fields = catalog_.table_fields(table.name)) {
            source.fields = std::move(*fields);
            source.is_table = true;
        } else {
            source.fields = query_source_fields(table.name);
        }
        return source;
    }

    std::vector<FieldDescription> query_source_fields(const std::u16string& name) {
        const std::u16string key = fold_case(name);
        const std::size_t query_base = open_queries_.size();
        const std::size_t value_base = value_nesting_;
        if (auto cached = compiled_.find(key); cached != compiled_.end()) {
            const CompiledQueries::Compiled& compiled = cached->second;
            // Used where its nesting would pass the bounds, it is compiled again, to fail as a first one would.
            if (query_base + compiled.query_depth <= max_query_nesting &&
                value_base + compiled.value_depth <= max_value_nesting) {
                deepest_query_ = std::max(deepest_query_, query_base + compiled.query_depth);
                deepest_value_ = std::max(deepest_value_, value_base + compiled.value_depth);
                return compiled.fields;
            }
        }
        std::optional<std::vector<QueryRow>> rows = catalog_.query_rows(name);
        if (!rows) throw errors::input_not_found(name);
        const std::size_t outer_query = std::exchange(deepest_query_, query_base);
        const std::size_t outer_value = std::exchange(deepest_value_, value_base);
        std::vector<FieldDescription> fields = saved_query_fields(name, *rows);
        compiled_.insert_or_assign(key, CompiledQueries::Compiled{fields, deepest_query_ - query_base,
                                                                  deepest_value_ - value_base});
        deepest_query_ = std::max(deepest_query_, outer_query);
        deepest_value_ = std::max(deepest_value_, outer_value);
        return fields;
    }

    std::vector<OutputEntry> column_entries(const SelectStatement& statement, Scope& scope) {
        std::vector<OutputEntry> entries;
        if (statement.all_fields) expand_all(scope, entries);
        for (const OutputColumn& column : statement.columns) {
            const Expression& expression = column.expression;
            if (expression.kind == Expression::Kind::star && expression.parts.empty()) {
                expand_all(scope, entries);
            } else if (expression.kind == Expression::Kind::star) {
                expand(find_source(scope, expression.parts.front()), entries);
            } else {
                OutputEntry entry{value_of(expression, scope), column.alias};
                if (!column.alias.empty()) scope.named_columns.emplace_back(column.alias, entry.value);
                add(entries, std::move(entry));
            }
        }
        return entries;
    }

    void expand_all(const Scope& scope, std::vector<OutputEntry>& entries) const {
        for (const Source& source : scope.sources) expand(source, entries);
    }

    void expand(const Source& source, std::vector<OutputEntry>& entries) const {
        for (const FieldDescription& field : source.fields) add(entries, {direct_value(source, field), u""});
    }

    void add(std::vector<OutputEntry>& entries, OutputEntry entry) const {
        if (entries.size() == max_output_fields) throw errors::too_many_fields(current_query());
        entries.push_back(std::move(entry));
    }

    static ColumnValue direct_value(const Source& source, const FieldDescription& field) {
        ColumnValue value;
        value.field = field;
        value.direct = true;
        value.updatable = source.is_table || (field.attributes & updatable_attribute) != 0;
        value.qualifier = source.reference_name;
        return value;
    }

    const Source& find_source(const Scope& scope, const std::u16string& name) const {
        for (const Source& source : scope.sources) {
            if (same_name(source.reference_name, name)) return source;
        }
        throw errors::input_not_found(name);
    }

    std::vector<FieldDescription> crosstab_fields(const SavedQuery& query) {
        const SelectStatement statement = statement_of(query, true);
        Scope scope = scope_of(statement, nullptr, query.parameters);
        std::vector<OutputEntry> entries = column_entries(statement, scope);
        const QueryColumn* value_column = nullptr;
        const QueryColumn* pivot_column = nullptr;
        for (const QueryColumn& column : query.columns) {
            if (column.flag == crosstab_role::value) value_column = &column;
            if (column.flag == crosstab_role::pivot) pivot_column = &column;
        }
        if (value_column != nullptr && pivot_column != nullptr) {
            const Expression pivot = parse_expression(pivot_column->expression, current_query());
            const ColumnValue value = value_of(parse_expression(value_column->expression, current_query()), scope);
            // Only a fixed IN list names the value columns; otherwise they come from the data.
            if (pivot.kind == Expression::Kind::in_list && !pivot.negated && !pivot.select) {
                for (std::size_t i = 1; i < pivot.operands.size(); ++i) {
                    add(entries, {computed_value(type_of(value)), literal_name(pivot.operands[i])});
                }
            }
        }
        return finish(entries, false);
    }

    std::vector<FieldDescription> union_fields(const SavedQuery& query) {
        if (query.union_parts.empty()) return {};
        SelectStatement first = parse_select(query.union_parts.front(), current_query());
        first.in_union = true;
        return select_fields(first, nullptr, query.parameters);
    }

    ColumnValue value_of(const Expression& expression, const Scope& scope) {
        using Kind = Expression::Kind;
        const ValueNesting nesting(*this);
        switch (expression.kind) {
            case Kind::text_literal: return computed_value(computed(field_type::text));
            case Kind::number_literal: return computed_value(number_literal_type(expression.text));
            case Kind::date_literal: return computed_value(computed(field_type::date));
            case Kind::boolean_literal: return computed_value(computed(field_type::boolean));
            case Kind::null_literal:
            case Kind::star: return computed_value({});
            case Kind::name: return name_value(expression, scope);
            case Kind::call: return call_value(expression, scope);
            case Kind::unary: {
                const ColumnValue operand = value_of(expression.operands.front(), scope);
                if (same_name(expression.text, u"Not")) return computed_value(computed(field_type::boolean));
                return computed_value(negation_type(type_of(operand)));
            }
            case Kind::binary: return binary_value(expression, scope);
            case Kind::between:
            case Kind::in_list:
            case Kind::is_null:
            case Kind::exists:
                for (const Expression& operand : expression.operands) value_of(operand, scope);
                return computed_value(computed(field_type::boolean));
            case Kind::subquery: {
                const std::vector<FieldDescription> fields = select_fields(*expression.select, &scope, *scope.parameters);
                if (fields.empty()) return computed_value({});
                return computed_value({fields.front().type, fields.front().size});
            }
        }
        return computed_value({});
    }

    ColumnValue call_value(const Expression& call, const Scope& scope) {
        std::vector<ValueType> arguments;
        for (const Expression& argument : call.operands) arguments.push_back(type_of(value_of(argument, scope)));
        const std::optional<ValueType> result = function_type(call.text, arguments);
        if (!result) throw errors::undefined_function(current_query(), call.text);
        return computed_value(*result);
    }

    ColumnValue binary_value(const Expression& expression, const Scope& scope) {
        const ValueType left = type_of(value_of(expression.operands[0], scope));
        const ValueType right = type_of(value_of(expression.operands[1], scope));
        const std::u16string& op = expression.text;
        if (op == u"&") return computed_value(computed(field_type::text));
        if (op == u"+" || op == u"-" || op == u"*" || op == u"/" || op == u"\\" || op == u"^" || same_name(op, u"Mod")) {
            return computed_value(arithmetic_type(op, left, right));
        }
        return computed_value(computed(field_type::boolean));  // comparisons, Like and the logical operators
    }

    ColumnValue name_value(const Expression& name, const Scope& scope) {
        for (const Scope* level = &scope; level != nullptr; level = level->outer) {
            if (std::optional<ColumnValue> found = find_in(name, *level)) return *found;
        }
        for (const QueryParameter& parameter : *scope.parameters) {
            if (same_name(without_brackets(parameter.name), name.path)) return computed_value(parameter_type(parameter.type));
        }
        // Any other name is a parameter the engine asks for when the query runs; its value is text.
        return computed_value(computed(field_type::text));
    }

    std::optional<ColumnValue> find_in(const Expression& name, const Scope& scope) const {
        if (name.parts.size() == 1) {
            std::optional<ColumnValue> found;
            for (const Source& source : scope.sources) {
                for (const FieldDescription& field : source.fields) {
                    if (!same_name(field.name, name.parts.front())) continue;
                    if (found) throw errors::ambiguous_field(current_query(), name.path);
                    found = direct_value(source, field);
                }
            }
            if (found) return found;
            for (const auto& [alias, value] : scope.named_columns) {
                if (same_name(alias, name.parts.front())) return computed_value(type_of(value));
            }
            return std::nullopt;
        }
        const bool qualified_field = name.parts.size() == 2 && name.path[name.parts.front().size()] == u'.';
        if (!qualified_field) return std::nullopt;
        for (const Source& source : scope.sources) {
            if (!same_name(source.reference_name, name.parts.front())) continue;
            for (const FieldDescription& field : source.fields) {
                if (same_name(field.name, name.parts.back())) return direct_value(source, field);
            }
        }
        return std::nullopt;
    }

    // Names, attributes and positions of the output fields.
    std::vector<FieldDescription> finish(const std::vector<OutputEntry>& entries, bool plain) const {
        std::map<std::u16string, int> name_uses;
        for (const OutputEntry& entry : entries) {
            if (!entry.alias.empty()) ++name_uses[fold_case(entry.alias)];
            else if (entry.value.direct) ++name_uses[fold_case(entry.value.field.name)];
        }
        std::vector<FieldDescription> fields;
        int expression_number = first_expression_number;
        for (const OutputEntry& entry : entries) {
            FieldDescription field = entry.value.direct ? direct_field(entry.value, plain) : computed_field(entry.value);
            if (!entry.alias.empty()) {
                field.name = entry.alias;
            } else if (!entry.value.direct) {
                field.name = u"Expr" + ascii(std::to_string(expression_number++));
            } else if (name_uses[fold_case(field.name)] > 1) {
                // Two output fields of one name are told apart by their source.
                field.name = entry.value.qualifier + u"." + field.name;
            }
            field.ordinal_position = static_cast<std::int16_t>(fields.size());
            fields.push_back(std::move(field));
        }
        return fields;
    }

    static FieldDescription direct_field(const ColumnValue& value, bool plain) {
        FieldDescription field = value.field;
        field.attributes &= ~updatable_attribute;
        if (plain && value.updatable) field.attributes |= updatable_attribute;
        return field;
    }

    FieldDescription computed_field(const ColumnValue& value) const {
        // A column whose every value is Null has no type of its own; the engine hands it out as text.
        const ValueType type = value.field.type == field_type::none ? computed(field_type::text) : type_of(value);
        FieldDescription field;
        field.type = type.type;
        field.size = type.size;
        field.attributes = is_variable_length(type.type) ? 2 : 1;
        field.collating_order = collating_order_;
        return field;
    }

    const SourceCatalog& catalog_;
    std::int32_t collating_order_;
    std::vector<std::u16string> open_queries_;
    std::size_t value_nesting_ = 0;
    // The deepest nesting reached since the compilation of the innermost saved query began.
    std::size_t deepest_query_ = 0;
    std::size_t deepest_value_ = 0;
    std::map<std::u16string, CompiledQueries::Compiled>& compiled_;
};

}  // namespace

std::vector<FieldDescription> resolve_query_fields(const std::u16string& query_name, const std::vector<QueryRow>& rows,
                                                   const SourceCatalog& catalog) {
    CompiledQueries compiled;
    return resolve_query_fields(query_name, rows, catalog, compiled);
}

std::vector<FieldDescription> resolve_query_fields(const std::u16string& query_name, const std::vector<QueryRow>& rows,
                                                   const SourceCatalog& catalog, CompiledQueries& compiled) {
    return Compiler(catalog, compiled).saved_query_fields(query_name, rows);
}

}  // namespace qz::query

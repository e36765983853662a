// Saved queries compiled against a small catalog, both described by the input, through resolve_query_fields:
// the row model, the SQL tokenizer and expression parser, field typing, nesting and name lookup.
//
// Input: UTF-8 lines, one record each, fields separated by '|' (the last field takes the rest of the line):
//   table|<name>                                            starts a table of the catalog
//   field|<name>|<type>|<size>|<attributes>                 adds a field to the last table
//   query|<name>                                            starts a saved query; the first one is compiled
//   row|<attribute>|<flag>|<order>|<name1>|<name2>|<expression>   adds an MSysQueries row to the last query
// Rows before any query line belong to a query named Q. Numbers wrap to their column's width; other lines
// are passed over.

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.hpp"
#include "platform/error.hpp"
#include "platform/query/names.hpp"
#include "platform/query/query_fields.hpp"
#include "text/utf8_methods.hpp"

namespace {

using qz::fuzz::split_once;
using qz::query::FieldDescription;
using qz::query::QueryRow;

constexpr std::int32_t general_sort_order = 1033;

std::u16string utf16(std::string_view utf8) {
    std::u16string text;
    qz::text::UTF8toUTF16(std::string(utf8), text);
    return text;
}

template <class Integer>
Integer number(std::string_view digits) {
    long long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return static_cast<Integer>(value);
}

// Cuts fields off the front of one record.
class Record {
public:
    explicit Record(std::string_view line) : rest_(line) {}
    std::string_view next() {
        const auto [field, rest] = split_once(rest_, '|');
        rest_ = rest;
        return field;
    }
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

class InputCatalog : public qz::query::SourceCatalog {
public:
    explicit InputCatalog(std::string_view input) {
        std::u16string table;
        std::u16string query = u"Q";
        while (!input.empty()) {
            const auto [line, rest] = split_once(input, '\n');
            input = rest;
            Record record(line);
            const std::string_view kind = record.next();
            if (kind == "table") {
                table = qz::query::fold_case(utf16(record.rest()));
                tables_[table];
            } else if (kind == "field") {
                add_field(table, record);
            } else if (kind == "query") {
                query = utf16(record.rest());
                if (first_query_.empty()) first_query_ = query;
                queries_[qz::query::fold_case(query)];
            } else if (kind == "row") {
                if (first_query_.empty()) first_query_ = query;
                queries_[qz::query::fold_case(query)].push_back(read_row(record));
            }
        }
    }

    // The query to compile, with its rows; empty rows when the input describes none.
    const std::u16string& first_query() const { return first_query_; }
    std::vector<QueryRow> first_query_rows() const { return query_rows(first_query_).value_or(std::vector<QueryRow>{}); }

    std::optional<std::vector<FieldDescription>> table_fields(const std::u16string& name) const override {
        const auto found = tables_.find(qz::query::fold_case(name));
        if (found == tables_.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const override {
        const auto found = queries_.find(qz::query::fold_case(name));
        if (found == queries_.end()) return std::nullopt;
        return found->second;
    }
    std::int32_t database_collating_order() const override { return general_sort_order; }

private:
    void add_field(const std::u16string& table, Record& record) {
        std::vector<FieldDescription>& fields = tables_[table];
        FieldDescription field;
        field.name = utf16(record.next());
        field.type = number<std::int16_t>(record.next());
        field.size = number<std::int32_t>(record.next());
        field.attributes = number<std::int32_t>(record.next());
        field.collating_order = general_sort_order;
        field.ordinal_position = static_cast<std::int16_t>(fields.size());
        fields.push_back(std::move(field));
    }

    static QueryRow read_row(Record& record) {
        QueryRow row;
        row.attribute = number<std::int16_t>(record.next());
        row.flag = number<std::int16_t>(record.next());
        row.order = number<std::int32_t>(record.next());
        row.name1 = utf16(record.next());
        row.name2 = utf16(record.next());
        row.expression = utf16(record.rest());
        row.object_id = 1;
        return row;
    }

    std::map<std::u16string, std::vector<FieldDescription>> tables_;
    std::map<std::u16string, std::vector<QueryRow>> queries_;
    std::u16string first_query_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const InputCatalog catalog(qz::fuzz::input_text(data, size));
    if (catalog.first_query().empty()) return 0;
    try {
        (void)qz::query::resolve_query_fields(catalog.first_query(), catalog.first_query_rows(), catalog);
    } catch (const qz::Error&) {
        // A query that does not compile, with its number: the sound answer to bad rows.
    }
    return 0;
}

#pragma once
// Saved queries and the small catalog they read, described as text: the input of the query fuzz target and of
// its regression inputs. UTF-8 lines, one record each, fields separated by '|' (the last field takes the rest
// of the line):
//   table|<name>                                            starts a table of the catalog
//   field|<name>|<type>|<size>|<attributes>                 adds a field to the last table
//   query|<name>                                            starts a saved query
//   row|<attribute>|<flag>|<order>|<name1>|<name2>|<expression>   adds an MSysQueries row to the last query
// Rows before any query line belong to a query named Q. Numbers wrap to their column's width; other lines
// are passed over.

#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/error.hpp"
#include "platform/query/names.hpp"
#include "platform/query/query_fields.hpp"
#include "text/utf8_methods.hpp"

namespace qz::query {

class InputCatalog : public SourceCatalog {
  public:
    explicit InputCatalog(std::string_view input) {
        std::u16string table, query = u"Q";
        while (!input.empty()) {
            std::string_view line;
            std::tie(line, input) = cut(input, '\n');
            const auto next = [&line] {  // cuts the next field off the front of the line
                std::string_view field;
                std::tie(field, line) = cut(line, '|');
                return field;
            };
            const std::string_view kind = next();
            if (kind == "table") {
                table = fold_case(utf16(line));
                tables_[table];
            } else if (kind == "field") {
                std::vector<FieldDescription>& fields = tables_[table];
                FieldDescription& field = fields.emplace_back();
                field.name = utf16(next());
                field.type = number<std::int16_t>(next());
                field.size = number<std::int32_t>(next());
                field.attributes = number<std::int32_t>(next());
                field.collating_order = general_sort_order;
                field.ordinal_position = static_cast<std::int16_t>(fields.size() - 1);
            } else if (kind == "query" || kind == "row") {
                if (kind == "query") query = utf16(line);
                if (queries_.emplace(fold_case(query), std::vector<QueryRow>{}).second)
                    names_.push_back(query);
                if (kind == "query") continue;
                QueryRow& row = queries_[fold_case(query)].emplace_back();
                row.attribute = number<std::int16_t>(next());
                row.flag = number<std::int16_t>(next());
                row.order = number<std::int32_t>(next());
                row.name1 = utf16(next());
                row.name2 = utf16(next());
                row.expression = utf16(line);
                row.object_id = 1;
            }
        }
    }

    // Compiles the queries from the last described to the first, each reusing those compiled before it as the
    // listings do; 0 when the first compiles, else the number of the error it raises. -1: no query at all.
    std::int32_t compile_all() const {
        CompiledQueries compiled;
        std::int32_t error = -1;
        for (auto name = names_.rbegin(); name != names_.rend(); ++name) {
            try {
                resolve_query_fields(*name, *query_rows(*name), *this, compiled);
                error = 0;
            } catch (const Error& e) {
                error = e.number();
            }
        }
        return error;
    }

    std::optional<std::vector<FieldDescription>> table_fields(const std::u16string& name) const override {
        const auto found = tables_.find(fold_case(name));
        if (found == tables_.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const override {
        const auto found = queries_.find(fold_case(name));
        if (found == queries_.end()) return std::nullopt;
        return found->second;
    }
    std::int32_t database_collating_order() const override { return general_sort_order; }

  private:
    static constexpr std::int32_t general_sort_order = 1033;

    static std::pair<std::string_view, std::string_view> cut(std::string_view text, char separator) {
        const std::size_t at = text.find(separator);
        if (at == std::string_view::npos) return {text, {}};
        return {text.substr(0, at), text.substr(at + 1)};
    }
    static std::u16string utf16(std::string_view utf8) {
        std::u16string text;
        text::UTF8toUTF16(std::string(utf8), text);
        return text;
    }
    template <class Integer>
    static Integer number(std::string_view digits) {
        long long value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return static_cast<Integer>(value);
    }

    std::map<std::u16string, std::vector<FieldDescription>> tables_;
    std::map<std::u16string, std::vector<QueryRow>> queries_;
    std::vector<std::u16string> names_;  // in the order described
};

}  // namespace qz::query

#pragma once
// Saved queries and the small catalog they read, described as text: the input of the query fuzz target, of
// its regression inputs and of the query tests. UTF-8 lines, one record each, fields separated by '|' (the
// last field takes the rest of the line):
//   table|<name>                                            starts a table of the catalog
//   field|<name>|<type>|<size>|<attributes>                 adds a field to the last table
//   query|<name>                                            starts a saved query
//   row|<attribute>|<flag>|<order>|<name1>|<name2>|<expression>   adds an MSysQueries row to the last query
// Rows before any query line belong to a query named Q. Numbers wrap to their column's width; other lines
// are passed over.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.hpp"
#include "platform/query/names.hpp"
#include "platform/query/query_fields.hpp"
#include "platform/text/code_page.hpp"

namespace qz::query {

class InputCatalog : public SourceCatalog {
  public:
    explicit InputCatalog(std::string_view input) {
        while (!input.empty()) {
            const std::size_t end = std::min(input.find('\n'), input.size());
            read_line(input.substr(0, end));
            input.remove_prefix(std::min(end + 1, input.size()));
        }
    }

    // Adds rows to a query, which is described from then on if it was not before.
    void add_query(const std::u16string& name, const std::vector<QueryRow>& rows) {
        auto [query, added] = queries_.try_emplace(fold_case(name));
        if (added) names_.push_back(name);
        query->second.insert(query->second.end(), rows.begin(), rows.end());
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
    std::int32_t database_collating_order() const override { return 1033; }  // General

  private:
    void read_line(std::string_view line) {
        const std::string_view kind = line.substr(0, line.find('|'));
        const std::vector<std::string_view> f = split(line, kind == "row" ? 7 : kind == "field" ? 5 : 2);
        if (kind == "table") {
            table_ = fold_case(text::utf8_to_utf16(f[1]));
            tables_[table_];
        } else if (kind == "field") {
            FieldDescription& field = tables_[table_].emplace_back();
            field.name = text::utf8_to_utf16(f[1]);
            field.type = number<std::int16_t>(f[2]);
            field.size = number<std::int32_t>(f[3]);
            field.attributes = number<std::int32_t>(f[4]);
        } else if (kind == "query") {
            query_ = text::utf8_to_utf16(f[1]);
            add_query(query_, {});
        } else if (kind == "row") {
            add_query(query_, {{number<std::int16_t>(f[1]), text::utf8_to_utf16(f[6]),
                                number<std::int16_t>(f[2]), text::utf8_to_utf16(f[4]),
                                text::utf8_to_utf16(f[5]), 1, number<std::int32_t>(f[3])}});
        }
    }

    // The line's first `count` fields, the last taking the rest of the line; empty past its end.
    static std::vector<std::string_view> split(std::string_view line, std::size_t count) {
        std::vector<std::string_view> fields(count);
        for (std::size_t i = 0; i + 1 < count; ++i) {
            const std::size_t at = line.find('|');
            fields[i] = line.substr(0, at);
            if (at == std::string_view::npos) return fields;
            line.remove_prefix(at + 1);
        }
        fields[count - 1] = line;
        return fields;
    }
    template <class Integer>
    static Integer number(std::string_view digits) {
        long long value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return static_cast<Integer>(value);
    }

    std::map<std::u16string, std::vector<FieldDescription>> tables_;
    std::map<std::u16string, std::vector<QueryRow>> queries_;
    std::vector<std::u16string> names_;    // in the order described
    std::u16string table_, query_ = u"Q";  // the last described
};

}  // namespace qz::query

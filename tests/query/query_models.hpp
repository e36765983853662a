#pragma once
// Small saved queries and catalogs built in memory, as the file reader would hand them over.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/query/names.hpp"
#include "platform/query/query_fields.hpp"

namespace qz::query::test {

// A table's field; by default a Text of 50 (type 10, attributes 2), in the general sort order.
inline FieldDescription field(std::u16string name, std::int16_t type = 10, std::int32_t size = 50,
                              std::int32_t attributes = 2) {
    FieldDescription field;
    field.name = std::move(name);
    field.type = type;
    field.size = size;
    field.attributes = attributes;
    field.collating_order = 1033;
    return field;
}

class MemoryCatalog : public SourceCatalog {
public:
    void add_table(const std::u16string& name, std::vector<FieldDescription> fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) fields[i].ordinal_position = static_cast<std::int16_t>(i);
        tables_[fold_case(name)] = std::move(fields);
    }
    void add_query(const std::u16string& name, std::vector<QueryRow> rows) { queries_[fold_case(name)] = std::move(rows); }
    const std::vector<QueryRow>& rows(const std::u16string& name) const { return queries_.at(fold_case(name)); }

    std::optional<std::vector<FieldDescription>> table_fields(const std::u16string& name) const override {
        auto found = tables_.find(fold_case(name));
        if (found == tables_.end()) return std::nullopt;
        return found->second;
    }
    std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const override {
        ++lookups;
        auto found = queries_.find(fold_case(name));
        if (found == queries_.end()) return std::nullopt;
        return found->second;
    }
    std::int32_t database_collating_order() const override { return 1046; }
    mutable int lookups = 0;  // saved queries looked up, each of which is then compiled

private:
    std::map<std::u16string, std::vector<FieldDescription>> tables_;
    std::map<std::u16string, std::vector<QueryRow>> queries_;
};

// Builds the MSysQueries rows of one query, numbering each kind of row in the order it is added.
class Rows {
public:
    explicit Rows(std::int16_t type_code = 1) { add(0, 0, u"", u"", u""); add(1, type_code, u"", u"", u""); }

    Rows& flags(std::int16_t flags) { return add(3, flags, u"", u"", u""); }
    Rows& parameter(const std::u16string& name, std::int16_t type) { return add(2, type, name, u"", u""); }
    Rows& input(const std::u16string& name, const std::u16string& alias = u"") { return add(5, 0, name, alias, u""); }
    Rows& nested_input(const std::u16string& sql, const std::u16string& alias) { return add(5, 0, u"", alias, sql); }
    Rows& union_part(const std::u16string& sql, int part) {
        return add(5, 0, u"", u"X7YZ_____" + ascii(std::to_string(part)), sql);
    }
    Rows& column(const std::u16string& expression, const std::u16string& alias = u"", std::int16_t flag = 0) {
        return add(6, flag, alias, u"", expression);
    }
    Rows& where(const std::u16string& condition) { return add(8, 0, u"", u"", condition); }
    Rows& group_by(const std::u16string& expression, std::int16_t flag = 0) { return add(9, flag, u"", u"", expression); }

    // The rows with the end row, in the reverse of their stored order, as a scan may meet them.
    std::vector<QueryRow> done() const {
        std::vector<QueryRow> rows(rows_.rbegin(), rows_.rend());
        rows.push_back(QueryRow{255, u"", 0, u"", u"", 7, 1});
        return rows;
    }
    operator std::vector<QueryRow>() const { return done(); }

private:
    Rows& add(std::int16_t attribute, std::int16_t flag, const std::u16string& name1, const std::u16string& name2,
              const std::u16string& expression) {
        rows_.push_back(QueryRow{attribute, expression, flag, name1, name2, 7, ++counts_[attribute]});
        return *this;
    }

    std::vector<QueryRow> rows_;
    std::map<std::int16_t, std::int32_t> counts_;
};

}  // namespace qz::query::test

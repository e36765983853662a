#pragma once
// Random schemas of every kind of column, index, relationship and linked table the writer
// knows, with names in several scripts, and select queries. Every choice is a number from a source: a seeded
// generator in the round-trip property test, the fuzzer's input in the schema fuzz target.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "writer/access_writer.hpp"

namespace qz::writer::random_schema {

// What the engine reports for a column of each kind: its type name, size and attributes (variable-length
// kinds 2, fixed ones 1).
struct Kind {
    ColumnType type;
    const char* name;
    int size;  // -1: the column's own size
    int attributes;
    const char* mdb_schema;  // mdbtools' name of the type
};
inline constexpr Kind kinds[] = {
    {ColumnType::boolean, "boolean", 1, 1, "Boolean"},
    {ColumnType::byte, "byte", 1, 1, "Byte"},
    {ColumnType::integer, "integer", 2, 1, "Integer"},
    {ColumnType::long_integer, "long", 4, 1, "Long Integer"},
    {ColumnType::currency, "currency", 8, 1, "Currency"},
    {ColumnType::single, "single", 4, 1, "Single"},
    {ColumnType::double_float, "double", 8, 1, "Double"},
    {ColumnType::date_time, "date", 8, 1, "DateTime"},
    {ColumnType::binary, "binary", -1, 2, "Binary"},
    {ColumnType::text, "text", -1, 2, "Text"},
    {ColumnType::ole, "long_binary", 0, 2, "OLE"},
    {ColumnType::memo, "memo", 0, 2, "Memo/Hyperlink"},
    {ColumnType::guid, "guid", 16, 1, "Replication ID"},
    {ColumnType::decimal, "decimal", 16, 1, "Numeric"},
};
inline const Kind& kind_of(ColumnType type) {
    return *std::find_if(std::begin(kinds), std::end(kinds), [&](const Kind& k) { return k.type == type; });
}
// The type names of multi-value columns by the type of their values.
inline const std::map<ColumnType, const char*> multi_value_names{
    {ColumnType::byte, "complex_byte"},           {ColumnType::integer, "complex_integer"},
    {ColumnType::long_integer, "complex_long"},   {ColumnType::single, "complex_single"},
    {ColumnType::double_float, "complex_double"}, {ColumnType::guid, "complex_guid"},
    {ColumnType::decimal, "complex_decimal"},     {ColumnType::text, "complex_text"}};

// Catalog dates and the text the C locale gives them.
inline const std::pair<double, const char*> dates[] = {
    {45000.5, "03/15/2023 12:00:00"}, {36526.0, "01/01/2000"}, {38000.25, "01/14/2004 06:00:00"}};

// Words of names: Latin ones a Jet 3 code page holds, and others only UTF-16 files hold.
inline const std::u16string latin_words[] = {u"Pre\u00E7o", u"A\u00E7\u00E3o", u"Stra\u00DFe", u"Caf\u00E9",
                                             u"Ni\u00F1o",  u"\u00D8re",       u"Plain"};
inline const std::u16string other_words[] = {
    u"\u6570\u91CF", u"\u6CE8\u6587",         u"\u0426\u0435\u043D\u0430", u"\u03A4\u03B9\u03BC\u03AE",
    u"\uD55C\uAE00", u"\U0001F511 \U0001F600"};  // beyond the BMP: surrogate pairs

inline std::u16string file_name(Format format) {
    return format == Format::jet3 || format == Format::jet4 ? u"db.mdb" : u"db.accdb";
}

// A schema of choices from `below`, which gives a number in [0, n).
class Generator {
  public:
    explicit Generator(std::function<std::size_t(std::size_t)> below) : below_(std::move(below)) {}

    Schema schema() {
        constexpr Format formats[] = {Format::jet3, Format::jet4, Format::ace12, Format::ace14};
        s_.format = pick(formats);
        s_.created = pick(dates).first;
        const std::size_t tables = 1 + below(4);
        for (std::size_t t = 0; t < tables; ++t) s_.tables.push_back(table());
        for (std::size_t r = below(3); r > 0; --r) relationship();
        for (std::size_t q = below(5); q > 0; --q) query();
        if (chance(30)) access_link();
        if (chance(20)) odbc_link();
        if (chance(3)) many_tables();
        return s_;
    }

  private:
    std::size_t below(std::size_t n) { return below_(n); }
    // Counted from the top, so that a source run dry (giving only zeros) takes no chances.
    bool chance(int percent) { return below(100) + static_cast<std::size_t>(percent) >= 100; }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(N)];
    }
    bool jet3() const { return s_.format == Format::jet3; }
    bool ace() const { return s_.format == Format::ace12 || s_.format == Format::ace14; }

    // A name whose first two letters decide its place in any order (the second letter is unique among the
    // names of one kind), followed by a word of some script.
    std::u16string name(char16_t first, std::size_t unique) {
        std::u16string out{first, static_cast<char16_t>(u'a' + unique), u' '};
        return out + (jet3() || chance(50) ? pick(latin_words) : pick(other_words));
    }
    std::u16string catalog_name() { return name(static_cast<char16_t>(u'A' + below(26)), catalog_names_++); }

    Column column(std::size_t number) {
        // Decimal, the last kind, is not in Jet 3.
        Column c = qz::writer::column(name(u'C', number), kinds[below(std::size(kinds) - jet3())].type);
        if (ace() && chance(10)) {
            c.complex = chance(30) ? ComplexKind::attachment : ComplexKind::multi_value;
            if (c.complex == ComplexKind::attachment) c.type = ColumnType::ole;
            if (c.complex == ComplexKind::multi_value && !multi_value_names.count(c.type))
                c.type = ColumnType::long_integer;
            return c;
        }
        if (s_.format == Format::ace14 && chance(8)) {
            constexpr ColumnType results[] = {ColumnType::double_float, ColumnType::long_integer,
                                              ColumnType::currency};
            c.type = pick(results);
            c.expression = u"1+2";
            return c;
        }
        if (c.type == ColumnType::text || c.type == ColumnType::binary) {
            c.size = static_cast<std::uint16_t>(1 + below(255));
            c.fixed_length = chance(15);
        }
        if (c.type == ColumnType::long_integer || c.type == ColumnType::guid) c.auto_number = chance(20);
        if (c.type == ColumnType::memo) c.hyperlink = chance(25);
        if (c.type == ColumnType::decimal) {
            c.precision = static_cast<std::uint8_t>(1 + below(28));
            c.scale = static_cast<std::uint8_t>(below(c.precision + 1u));
        }
        c.unicode_compression = chance(70);
        if (chance(25)) c.properties.push_back(Property::memo(u"DefaultValue", chance(50) ? u"0" : u"\"x\""));
        if (chance(25))
            c.properties.push_back(
                Property::byte(u"DecimalPlaces", chance(20) ? 255 : static_cast<std::uint8_t>(below(16))));
        if (chance(25)) c.properties.push_back(Property::boolean(u"Required", chance(50)));
        if (chance(20)) c.properties.push_back(Property::boolean(u"AllowZeroLength", chance(50)));
        return c;
    }

    static bool indexable(const Column& c) {
        return c.complex == ComplexKind::none && c.expression.empty() && c.type != ColumnType::memo &&
               c.type != ColumnType::ole && c.type != ColumnType::binary;
    }

    Table table() {
        Table t{catalog_name()};
        for (std::size_t i = 0, n = 1 + below(8); i < n; ++i) t.columns.push_back(column(i));
        const std::size_t flags = below(10);
        t.hidden = flags == 0;
        t.system = flags == 1;
        std::vector<std::u16string> keys;
        for (const Column& c : t.columns) {
            if (indexable(c)) keys.push_back(c.name);
        }
        if (keys.empty()) return t;
        if (chance(60))
            t.indexes.push_back({u"PrimaryKey", {{keys[below(keys.size())]}}, true, true, false, true});
        for (std::size_t i = below(3); i > 0; --i) {
            Index index{.name = name(u'I', t.indexes.size()),
                        .unique = chance(40),
                        .ignore_nulls = chance(30),
                        .required = chance(20)};
            for (std::size_t k = keys.size(); k > 1; --k) std::swap(keys[k - 1], keys[below(k)]);  // shuffled
            for (std::size_t k = 1 + below(std::min<std::size_t>(keys.size(), 3)); k > 0; --k)
                index.columns.push_back({keys[k - 1], chance(30)});
            t.indexes.push_back(index);
        }
        return t;
    }

    // From a table's single-column primary key to a new column of the same type in another table.
    void relationship() {
        std::vector<std::size_t> with_key;
        for (std::size_t i = 0; i < s_.tables.size(); ++i) {
            if (!s_.tables[i].indexes.empty() && s_.tables[i].indexes[0].primary) with_key.push_back(i);
        }
        if (with_key.empty() || s_.tables.size() < 2) return;
        const Table& primary = s_.tables[with_key[below(with_key.size())]];
        std::size_t foreign_at = below(s_.tables.size() - 1);
        if (&s_.tables[foreign_at] == &primary) foreign_at = s_.tables.size() - 1;
        Table& foreign = s_.tables[foreign_at];
        const std::u16string& key = primary.indexes[0].columns[0].column;
        const Column& key_column = *std::find_if(primary.columns.begin(), primary.columns.end(),
                                                 [&](const Column& c) { return c.name == key; });
        constexpr std::uint32_t flag_sets[] = {0,      0x1,    0x2,        0x100,     0x1000,
                                               0x1100, 0x2000, 0x01000000, 0x02000100};
        Relationship r{.name = name(u'R', s_.relationships.size()) + u" " + primary.name,
                       .primary_table = primary.name,
                       .foreign_table = foreign.name,
                       .attributes = pick(flag_sets)};
        // A second pair of any primary column leaves the relationship unenforced: no index backs it.
        std::vector<const Column*> keys{&key_column};
        if (chance(25)) {
            keys.push_back(&primary.columns[below(primary.columns.size())]);
            r.attributes |= 0x2;
        }
        for (const Column* k : keys) {
            Column reference = qz::writer::column(name(u'F', foreign.columns.size()), k->type, k->size);
            r.columns.emplace_back(k->name, reference.name);
            foreign.columns.push_back(reference);
        }
        s_.relationships.push_back(r);
    }

    // A select query of some plain columns of one table.
    void query() {
        const Table& from = s_.tables[below(s_.tables.size())];
        std::vector<std::u16string> columns;
        for (const Column& c : from.columns) {
            if (c.complex == ComplexKind::none && c.expression.empty() && chance(50))
                columns.push_back(u"[" + from.name + u"].[" + c.name + u"]");
        }
        if (!columns.empty()) s_.queries.push_back(Query::select(catalog_name(), {from.name}, columns));
    }

    // A table of this very file, linked under its name in another letter case through a stored path that
    // does not exist: the source is then found beside the database under the path's file name.
    void access_link() {
        std::u16string source = s_.tables[below(s_.tables.size())].name;
        source[0] = static_cast<char16_t>(source[0] + u'a' - u'A');
        source[1] = static_cast<char16_t>(source[1] - u'a' + u'A');
        s_.linked_tables.push_back({catalog_name(), source, u"C:\\absent\\" + file_name(s_.format)});
    }

    // A table linked through ODBC, described by the definition the database keeps.
    void odbc_link() {
        LinkedTable link{catalog_name(), u"dbo.orders", u"", u"DSN=shop;DATABASE=shop", {}};
        for (std::size_t i = 1 + below(3); i > 0; --i) {
            link.columns.push_back(column(link.columns.size()));
            link.columns.back().complex = ComplexKind::none;
            link.columns.back().expression.clear();
        }
        s_.linked_tables.push_back(link);
    }

    // Enough tables for the catalog's name index to need a page above its leaves, and for a listing to read
    // more pages than the reader keeps.
    void many_tables() {
        for (int i = 0; i < 200; ++i) {
            const std::u16string suffix{static_cast<char16_t>(u'A' + i / 26),
                                        static_cast<char16_t>(u'a' + i % 26)};
            s_.tables.push_back({u"Extra " + suffix, {qz::writer::column(u"V", ColumnType::long_integer)}});
        }
    }

    std::function<std::size_t(std::size_t)> below_;
    Schema s_;
    std::size_t catalog_names_ = 0;
};

}  // namespace qz::writer::random_schema

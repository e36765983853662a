// Random schemas, each written in a random format, are listed exactly as written. Every seed makes one
// schema: tables of random columns of each kind the writer knows, names in several scripts, indexes of each
// kind, relationships with random flags, select queries, column properties, hidden and system tables. The
// expected listings come from the schema and the engine's documented values for each kind of column, never
// from the reader. QZ_ROUND_TRIP_SEEDS=K runs seeds 0 to K-1; QZ_ROUND_TRIP_SEED=N runs seed N alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/text/code_page.hpp"
#include "support/temp_folder.hpp"
#include "tests/writer/command_output.hpp"
#include "writer/access_writer.hpp"

namespace qz::writer {
namespace {

namespace fs = std::filesystem;

constexpr int default_seed_count = 1000;  // about 6 s in the plain build
constexpr int mdbtools_every = 60;  // every so many seeds, mdbtools reads the file too

std::string utf8(const std::u16string& s) { return text::utf16_to_utf8(s); }
std::string word(bool b) { return b ? "True" : "False"; }

// What the engine reports for a column of each kind: its type name, size and attributes (variable-length
// kinds 2, fixed ones 1).
struct Kind {
    ColumnType type;
    const char* name;
    int size;  // -1: the column's own size
    int attributes;
    const char* mdb_schema;  // mdbtools' name of the type
};
constexpr Kind kinds[] = {
    {ColumnType::boolean, "boolean", 1, 1, "Boolean"},       {ColumnType::byte, "byte", 1, 1, "Byte"},
    {ColumnType::integer, "integer", 2, 1, "Integer"},       {ColumnType::long_integer, "long", 4, 1, "Long Integer"},
    {ColumnType::currency, "currency", 8, 1, "Currency"},    {ColumnType::single, "single", 4, 1, "Single"},
    {ColumnType::double_float, "double", 8, 1, "Double"},   {ColumnType::date_time, "date", 8, 1, "DateTime"},
    {ColumnType::binary, "binary", -1, 2, "Binary"},         {ColumnType::text, "text", -1, 2, "Text"},
    {ColumnType::ole, "long_binary", 0, 2, "OLE"},           {ColumnType::memo, "memo", 0, 2, "Memo/Hyperlink"},
    {ColumnType::guid, "guid", 16, 1, "Replication ID"},     {ColumnType::decimal, "decimal", 16, 1, "Numeric"},
};
const Kind& kind_of(ColumnType type) {
    return *std::find_if(std::begin(kinds), std::end(kinds), [&](const Kind& k) { return k.type == type; });
}
// The type names of multi-value columns by the type of their values.
const std::map<ColumnType, const char*> multi_value_names{
    {ColumnType::byte, "complex_byte"},     {ColumnType::integer, "complex_integer"},
    {ColumnType::long_integer, "complex_long"}, {ColumnType::single, "complex_single"},
    {ColumnType::double_float, "complex_double"}, {ColumnType::guid, "complex_guid"},
    {ColumnType::decimal, "complex_decimal"}, {ColumnType::text, "complex_text"}};

// Catalog dates and the text the C locale gives them.
const std::pair<double, const char*> dates[] = {
    {45000.5, "03/15/2023 12:00:00"}, {36526.0, "01/01/2000"}, {38000.25, "01/14/2004 06:00:00"}};

// Words of names: Latin ones a Jet 3 code page holds, and others only UTF-16 files hold.
const std::u16string latin_words[] = {u"Pre\u00E7o", u"A\u00E7\u00E3o", u"Stra\u00DFe", u"Caf\u00E9", u"Ni\u00F1o",
                                      u"\u00D8re", u"Plain"};
const std::u16string other_words[] = {u"\u6570\u91CF", u"\u6CE8\u6587", u"\u0426\u0435\u043D\u0430",
                                      u"\u03A4\u03B9\u03BC\u03AE", u"\uD55C\uAE00",
                                      u"\U0001F511 \U0001F600"};  // beyond the BMP: surrogate pairs

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(engine_() % n); }
    bool chance(int percent) { return below(100) < static_cast<std::size_t>(percent); }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }

  private:
    std::mt19937 engine_;
};

// The facts of one generated column the listings show.
struct Expected {
    std::string type;
    int size = 0;
    int attributes = 0;
};

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    Schema schema() {
        constexpr Format formats[] = {Format::jet3, Format::jet4, Format::ace12, Format::ace14};
        s_.format = random_.pick(formats);
        s_.created = random_.pick(dates).first;
        const std::size_t tables = 1 + random_.below(4);
        for (std::size_t t = 0; t < tables; ++t) s_.tables.push_back(table());
        for (std::size_t r = random_.below(3); r > 0; --r) relationship();
        for (std::size_t q = random_.below(4); q > 0; --q) query();
        return s_;
    }

  private:
    bool jet3() const { return s_.format == Format::jet3; }
    bool ace() const { return s_.format == Format::ace12 || s_.format == Format::ace14; }

    // A name whose first two letters decide its place in any order (the second letter is unique among the
    // names of one kind), followed by a word of some script.
    std::u16string name(char16_t first, std::size_t unique) {
        std::u16string out{first, static_cast<char16_t>(u'a' + unique), u' '};
        return out + (jet3() || random_.chance(50) ? random_.pick(latin_words) : random_.pick(other_words));
    }
    std::u16string catalog_name() { return name(static_cast<char16_t>(u'A' + random_.below(26)), catalog_names_++); }

    Column column(std::size_t number) {
        std::vector<ColumnType> types;
        for (const Kind& k : kinds) {
            if (k.type != ColumnType::decimal || !jet3()) types.push_back(k.type);
        }
        Column c;
        c.name = name(u'C', number);
        c.type = types[random_.below(types.size())];
        if (ace() && random_.chance(10)) {
            c.complex = random_.chance(30) ? ComplexKind::attachment : ComplexKind::multi_value;
            if (c.complex == ComplexKind::attachment) c.type = ColumnType::ole;
            if (c.complex == ComplexKind::multi_value && !multi_value_names.count(c.type)) c.type = ColumnType::long_integer;
            return c;
        }
        if (s_.format == Format::ace14 && random_.chance(8)) {
            constexpr ColumnType results[] = {ColumnType::double_float, ColumnType::long_integer, ColumnType::currency};
            c.type = random_.pick(results);
            c.expression = u"1+2";
            return c;
        }
        if (c.type == ColumnType::text || c.type == ColumnType::binary) {
            c.size = static_cast<std::uint16_t>(1 + random_.below(255));
            c.fixed_length = random_.chance(15);
        }
        if (c.type == ColumnType::long_integer || c.type == ColumnType::guid) c.auto_number = random_.chance(20);
        if (c.type == ColumnType::memo) c.hyperlink = random_.chance(25);
        if (c.type == ColumnType::decimal) {
            c.precision = static_cast<std::uint8_t>(1 + random_.below(28));
            c.scale = static_cast<std::uint8_t>(random_.below(c.precision + 1u));
        }
        c.unicode_compression = random_.chance(70);
        if (random_.chance(30)) c.properties.push_back(Property::text(u"Description", u"About " + c.name));
        if (random_.chance(25)) c.properties.push_back(Property::memo(u"DefaultValue", random_.chance(50) ? u"0" : u"\"x\""));
        if (random_.chance(25)) c.properties.push_back(Property::byte(u"DecimalPlaces", random_.chance(20) ? 255 : static_cast<std::uint8_t>(random_.below(16))));
        if (random_.chance(25)) c.properties.push_back(Property::boolean(u"Required", random_.chance(50)));
        if (random_.chance(20)) c.properties.push_back(Property::boolean(u"AllowZeroLength", random_.chance(50)));
        return c;
    }

    static bool indexable(const Column& c) {
        return c.complex == ComplexKind::none && c.expression.empty() && c.type != ColumnType::memo &&
               c.type != ColumnType::ole && c.type != ColumnType::binary;
    }

    Table table() {
        Table t;
        t.name = catalog_name();
        const std::size_t columns = 1 + random_.below(8);
        for (std::size_t i = 0; i < columns; ++i) t.columns.push_back(column(i));
        if (random_.chance(30)) t.properties.push_back(Property::text(u"Description", u"A table"));
        const std::size_t flags = random_.below(10);
        t.hidden = flags == 0;
        t.system = flags == 1;
        std::vector<std::u16string> keys;
        for (const Column& c : t.columns) {
            if (indexable(c)) keys.push_back(c.name);
        }
        if (keys.empty()) return t;
        if (random_.chance(60)) t.indexes.push_back({u"PrimaryKey", {{keys[random_.below(keys.size())]}}, true, true, false, true});
        for (std::size_t i = random_.below(3); i > 0; --i) {
            Index index{name(u'I', t.indexes.size()), {}, false, random_.chance(40), random_.chance(30), random_.chance(20)};
            for (std::size_t k = 1 + random_.below(std::min<std::size_t>(keys.size(), 3)); k > 0; --k) {
                const std::u16string& key = keys[random_.below(keys.size())];
                const bool repeated = std::any_of(index.columns.begin(), index.columns.end(),
                                                  [&](const IndexColumn& c) { return c.column == key; });
                if (!repeated) index.columns.push_back({key, random_.chance(30)});
            }
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
        const Table& primary = s_.tables[with_key[random_.below(with_key.size())]];
        std::size_t foreign_at = random_.below(s_.tables.size() - 1);
        if (&s_.tables[foreign_at] == &primary) foreign_at = s_.tables.size() - 1;
        Table& foreign = s_.tables[foreign_at];
        const std::u16string& key = primary.indexes[0].columns[0].column;
        const Column& key_column = *std::find_if(primary.columns.begin(), primary.columns.end(),
                                                 [&](const Column& c) { return c.name == key; });
        Column reference;
        reference.name = name(u'F', foreign.columns.size());
        reference.type = key_column.type;
        reference.size = key_column.size;
        foreign.columns.push_back(reference);
        constexpr std::uint32_t flag_sets[] = {0, 0x1, 0x2, 0x100, 0x1000, 0x1100, 0x2000, 0x01000000, 0x02000100};
        s_.relationships.push_back({name(u'R', s_.relationships.size()) + u" " + primary.name,
                                    primary.name,
                                    foreign.name,
                                    {{key, reference.name}},
                                    random_.pick(flag_sets)});
    }

    void query() {
        const Table& from = s_.tables[random_.below(s_.tables.size())];
        std::vector<std::u16string> columns;
        for (const Column& c : from.columns) {
            if (c.complex == ComplexKind::none && c.expression.empty() && random_.chance(50))
                columns.push_back(u"[" + from.name + u"].[" + c.name + u"]");
        }
        if (columns.empty()) return;
        s_.queries.push_back(Query::select(catalog_name(), {from.name}, columns));
    }

    Random random_;
    Schema s_;
    std::size_t catalog_names_ = 0;
};

// The engine's facts of one column (the reference's table of column kinds).
Expected expected_column(const Column& c) {
    if (c.complex == ComplexKind::attachment) return {"attachment", 4, 1};
    if (c.complex == ComplexKind::multi_value) return {multi_value_names.at(c.type), 4, 1};
    const Kind& k = kind_of(c.type);
    Expected e{k.name, k.size < 0 ? (c.size == 0 ? 255 : c.size) : k.size, k.attributes};
    if (c.fixed_length && (c.type == ColumnType::text || c.type == ColumnType::binary)) e.attributes = 1;
    if (c.auto_number && c.type == ColumnType::long_integer) e.attributes = 17;
    if (c.hyperlink) e.attributes = 32770;
    if (!c.expression.empty()) e.attributes = 2;  // a calculated value is stored with its own header, variable-length
    return e;
}

const Property* property(const std::vector<Property>& properties, std::u16string_view name) {
    const auto at = std::find_if(properties.begin(), properties.end(), [&](const Property& p) { return p.name == name; });
    return at == properties.end() ? nullptr : &*at;
}

std::string field_record(const Schema& s, const Column& c, std::size_t position) {
    const Expected e = expected_column(c);
    const Property* default_value = property(c.properties, u"DefaultValue");
    const Property* decimal = property(c.properties, u"DecimalPlaces");
    const Property* required = property(c.properties, u"Required");
    const Property* zero_length = property(c.properties, u"AllowZeroLength");
    // Text and Memo columns of Jet 4 and ACE files are compressed or not; a multi-value column holds no text
    // itself (its values are in a table of their own).
    const bool compressible = (c.type == ColumnType::text || c.type == ColumnType::memo) && c.complex == ComplexKind::none;
    std::ostringstream out;
    out << "name=" << utf8(c.name) << "|allow_zero_length=" << word(zero_length && std::get<bool>(zero_length->value))
        << "|attributes=" << e.attributes
        << "|default_value=" << (default_value ? utf8(std::get<std::u16string>(default_value->value)) : "")
        << "|ordinal_position=" << position << "|required=" << word(required && std::get<bool>(required->value))
        << "|size=" << e.size << "|type=" << e.type << "|collating_order=1033"
        << "|auto_incr_field=" << (e.attributes == 17 ? "S" : "N") << "|decimal="
        << (decimal ? std::to_string(std::get<std::int64_t>(decimal->value)) : "") << "|unicode="
        << (compressible && s.format != Format::jet3 ? word(c.unicode_compression) : "");
    return out.str();
}

std::string join(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records) out += (out.empty() ? "" : "\n") + r;
    return out;
}

// Names ordered as the General sort order orders these: their first two letters decide, case ignored.
bool general_order(const std::string& a, const std::string& b) {
    const auto lower = [](std::string s) {
        for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return s;
    };
    return lower(a) < lower(b);
}

// The tables every file of the format holds besides the schema's own, with their attributes.
std::vector<std::string> system_tables(Format format) {
    std::vector<std::string> names{"MSysACEs", "MSysObjects", "MSysQueries", "MSysRelationships"};
    if (format == Format::ace12 || format == Format::ace14) {
        for (const char* n : {"MSysComplexColumns", "MSysComplexType_Attachment", "MSysComplexType_Decimal",
                              "MSysComplexType_GUID", "MSysComplexType_IEEEDouble", "MSysComplexType_IEEESingle",
                              "MSysComplexType_Long", "MSysComplexType_Short", "MSysComplexType_Text",
                              "MSysComplexType_UnsignedByte"})
            names.push_back(n);
    }
    return names;
}

// Splits a listing into records of key=value items.
std::vector<std::map<std::string, std::string>> records_of(const std::string& listing) {
    std::vector<std::map<std::string, std::string>> out;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        auto& record = out.emplace_back();
        std::istringstream items(line);
        for (std::string item; std::getline(items, item, '|');) {
            const std::size_t at = item.find('=');
            record[item.substr(0, at)] = at == std::string::npos ? "" : item.substr(at + 1);
        }
    }
    return out;
}

class RoundTripProperty : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("LC_ALL", "C", 1); }
    void check(unsigned seed);
    void check_with_mdbtools(const Schema& s, const fs::path& file);

    test::TempFolder folder_;
};

void RoundTripProperty::check(unsigned seed) {
    const Schema s = Generator(seed).schema();
    const fs::path file = folder_ / (s.format == Format::jet3 || s.format == Format::jet4 ? "db.mdb" : "db.accdb");
    write_database(s, file);
    qz_cls_odbc_access session;
    session.connect(file.u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");
    const std::string date = std::find_if(std::begin(dates), std::end(dates),
                                          [&](const auto& d) { return d.first == s.created; })->second;

    // Every table, in the catalog's name order; ids are positions in it.
    struct Row {
        std::string name;
        std::string counts;  // fields and indexes; empty for the writer's own system tables
        std::int32_t attributes;
    };
    // A complex column's values live in a table of their own, joined through a unique index the owner table
    // lists first, named after the column and the complex id (numbered from 1 over the database).
    std::map<std::u16string, std::vector<std::string>> complex_indexes;
    unsigned complex_id = 0;
    for (const Table& t : s.tables) {
        for (const Column& c : t.columns) {
            if (c.complex == ComplexKind::none) continue;
            char id[33];
            std::snprintf(id, sizeof id, "%032X", ++complex_id);
            complex_indexes[t.name].push_back("name=" + utf8(c.name) + "_" + id + "|clustered=False|fields=+" + utf8(c.name) +
                                              "|foreign=False|ignore_nulls=False|primary=False|required=False|unique=True");
        }
    }
    std::vector<Row> rows;
    for (const std::string& name : system_tables(s.format)) rows.push_back({name, "", INT32_MIN});
    for (const Table& t : s.tables) {
        std::size_t indexes = t.indexes.size() + complex_indexes[t.name].size();
        for (const Relationship& r : s.relationships) indexes += r.foreign_table == t.name && (r.attributes & 2) == 0;
        rows.push_back({utf8(t.name), "fields=" + std::to_string(t.columns.size()) + "|indexes=" + std::to_string(indexes),
                        t.hidden ? 1 : t.system ? INT32_MIN : 0});
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return general_order(a.name, b.name); });
    const auto listed = records_of(utf8(session.get_tables(u"")));
    ASSERT_EQ(listed.size(), rows.size());
    std::vector<std::string> tab, sys;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string counts = rows[i].counts.empty()
                                       ? "fields=" + listed[i].at("fields") + "|indexes=" + listed[i].at("indexes")
                                       : rows[i].counts;
        const std::string record = "id=" + std::to_string(i) + "|name=" + rows[i].name + "|date_created=" + date +
                                   "|last_updated=" + date + "|" + counts +
                                   "|attributes=" + std::to_string(rows[i].attributes);
        (rows[i].attributes == 0 ? tab : sys).push_back(record);
    }
    EXPECT_EQ(utf8(session.get_tables(u"tab")), join(tab));
    EXPECT_EQ(utf8(session.get_tables(u"sys")), join(sys));

    for (const Table& t : s.tables) {
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < t.columns.size(); ++i) fields.push_back(field_record(s, t.columns[i], i));
        EXPECT_EQ(utf8(session.get_fields(t.name, u"")), join(fields)) << utf8(t.name);

        // The schema's indexes in order (a primary key is also unique and required), then the foreign-key
        // index of each enforced relationship this table is the foreign side of, on its own new column.
        std::vector<std::string> indexes = complex_indexes[t.name];
        for (const Index& index : t.indexes) {
            std::string keys;
            for (const IndexColumn& c : index.columns)
                keys += (keys.empty() ? "" : ";") + std::string(c.descending ? "-" : "+") + utf8(c.column);
            indexes.push_back("name=" + utf8(index.name) + "|clustered=False|fields=" + keys +
                              "|foreign=False|ignore_nulls=" + word(index.ignore_nulls) + "|primary=" +
                              word(index.primary) + "|required=" + word(index.required || index.primary) +
                              "|unique=" + word(index.unique || index.primary));
        }
        for (const Relationship& r : s.relationships) {
            if (r.foreign_table != t.name || (r.attributes & 2) != 0) continue;
            indexes.push_back("name=" + utf8(r.name) + "|clustered=False|fields=+" + utf8(r.columns[0].second) +
                              "|foreign=True|ignore_nulls=False|primary=False|required=False|unique=False");
        }
        EXPECT_EQ(utf8(session.get_indexes(t.name)), join(indexes)) << utf8(t.name);
    }

    std::vector<std::string> relations;
    for (const Relationship& r : s.relationships) {
        relations.push_back("name=" + utf8(r.name) + "|table=" + utf8(r.primary_table) + "|foreign_table=" +
                            utf8(r.foreign_table) + "|attributes=" + std::to_string(static_cast<std::int32_t>(r.attributes)) +
                            "|fields=name:" + utf8(r.columns[0].first) + "&foreign_name:" + utf8(r.columns[0].second));
    }
    std::sort(relations.begin(), relations.end(), general_order);
    EXPECT_EQ(utf8(session.get_relations()), join(relations));

    std::vector<const Query*> queries;
    for (const Query& q : s.queries) queries.push_back(&q);
    std::sort(queries.begin(), queries.end(), [](const Query* a, const Query* b) { return general_order(utf8(a->name), utf8(b->name)); });
    std::vector<std::string> query_records;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        // A select query's fields are the columns it names, each as its table describes it.
        std::vector<std::string> expected_fields, listed_fields;
        std::size_t position = 0;
        for (const QueryRow& row : queries[i]->rows) {
            if (row.attribute != 6) continue;  // output columns
            const std::u16string& ref = *row.expression;  // [table].[column]
            const std::size_t dot = ref.find(u"].[");
            const std::u16string table = ref.substr(1, dot - 1), column = ref.substr(dot + 3, ref.size() - dot - 4);
            const Table& from = *std::find_if(s.tables.begin(), s.tables.end(), [&](const Table& t) { return t.name == table; });
            const Expected e = expected_column(*std::find_if(from.columns.begin(), from.columns.end(),
                                                             [&](const Column& c) { return c.name == column; }));
            expected_fields.push_back(utf8(column) + " " + e.type + " " + std::to_string(e.size) + " " + std::to_string(position++));
        }
        for (const auto& f : records_of(utf8(session.get_fields_query(queries[i]->name))))
            listed_fields.push_back(f.at("name") + " " + f.at("type") + " " + f.at("size") + " " + f.at("ordinal_position"));
        EXPECT_EQ(listed_fields, expected_fields) << utf8(queries[i]->name);
        query_records.push_back("id=" + std::to_string(i) + "|name=" + utf8(queries[i]->name) + "|date_created=" + date +
                                "|last_updated=" + date + "|fields=" + std::to_string(expected_fields.size()));
    }
    EXPECT_EQ(utf8(session.get_querys()), join(query_records));

    if (seed % mdbtools_every == 0 && mdbtools_installed()) check_with_mdbtools(s, file);
}

// Debian's mdbtools, a reader of its own, finds every table and the type of every plain column; it finds no
// table or column by a name beyond the BMP.
void RoundTripProperty::check_with_mdbtools(const Schema& s, const fs::path& file) {
    const auto beyond_bmp = [](const std::u16string& name) {
        return std::any_of(name.begin(), name.end(), [](char16_t c) { return c >= 0xD800 && c < 0xE000; });
    };
    const std::string quoted = "'" + file.string() + "'";
    const std::string utf8_locale = "LC_ALL=C.UTF-8 ";  // mdbtools takes the names as UTF-8 only in such a locale
    const std::string tables = output_of(utf8_locale + "mdb-tables -S -1 " + quoted);
    for (const Table& t : s.tables) {
        if (beyond_bmp(t.name)) continue;
        EXPECT_NE(tables.find(utf8(t.name) + "\n"), std::string::npos) << utf8(t.name) << " in\n" << tables;
        const std::string schema = output_of(utf8_locale + "mdb-schema -T '" + utf8(t.name) + "' " + quoted + " 2>&1");
        for (const Column& c : t.columns) {
            if (c.complex != ComplexKind::none || !c.expression.empty() || beyond_bmp(c.name)) continue;
            std::string type = c.type == ColumnType::guid && !c.auto_number ? "" : kind_of(c.type).mdb_schema;
            if (c.type == ColumnType::text) type += " (" + std::to_string(c.size) + ")";
            if (c.type == ColumnType::decimal) type += " (" + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ")";
            EXPECT_NE(schema.find("[" + utf8(c.name) + "]\t\t\t" + type), std::string::npos) << type << " in\n" << schema;
        }
    }
}

TEST_F(RoundTripProperty, RandomSchemasAreListedExactlyAsWritten) {
    const char* only = std::getenv("QZ_ROUND_TRIP_SEED");
    const char* count = std::getenv("QZ_ROUND_TRIP_SEEDS");
    const unsigned first = only ? static_cast<unsigned>(std::stoul(only)) : 0;
    const unsigned last = only ? first + 1 : static_cast<unsigned>(count ? std::stoul(count) : default_seed_count);
    if (!mdbtools_installed()) std::printf("mdbtools is not installed: only the project's reader checks the files\n");
    for (unsigned seed = first; seed < last; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed) + "; rerun it alone with QZ_ROUND_TRIP_SEED=" + std::to_string(seed) +
                     " writer_test --gtest_filter=RoundTripProperty.*");
        try {
            check(seed);
        } catch (const Error& e) {
            ADD_FAILURE() << "error " << e.number() << ": " << utf8(e.description());
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        if (HasFailure()) break;  // the first failing seed is the one to look at
    }
}

}  // namespace
}  // namespace qz::writer

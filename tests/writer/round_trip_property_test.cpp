// Random schemas (random_schema.hpp), each written in a random format, are listed exactly as written. The
// expected listings come from the schema and the engine's documented values for each kind of column, never
// from the reader. QZ_ROUND_TRIP_SEEDS=K runs seeds 0 to K-1; QZ_ROUND_TRIP_SEED=N runs seed N alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "support/written_database.hpp"
#include "tests/writer/random_schema.hpp"

namespace qz::writer {
namespace {

namespace fs = std::filesystem;
using namespace random_schema;

#ifdef __SANITIZE_ADDRESS__
constexpr int default_seed_count = 150;  // the sanitizer build is about ten times slower
#else
constexpr int default_seed_count = 1000;  // about 6 s in the plain build
#endif
constexpr int mdbtools_every = 60;  // every so many seeds, mdbtools reads the file too

// Runs a shell command and returns what it printed; empty when it could not run.
std::string output_of(const std::string& command) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::array<char, 4096> buffer{};
    for (std::size_t n; pipe && (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        out.append(buffer.data(), n);
    return out;
}

bool mdbtools_installed() { return !output_of("command -v mdb-schema").empty(); }

std::string utf8(const std::u16string& s) { return text::utf16_to_utf8(s); }
std::string word(bool b) { return b ? "True" : "False"; }

// A record as a listing writes it: record(key, value, key, value, ...) gives "key=value|key=value...".
template <class... Items>
std::string record(const Items&... items) {
    const std::string parts[] = {std::string(items)...};
    std::string out;
    for (std::size_t i = 0; i + 1 < sizeof...(items); i += 2)
        out += (i == 0 ? "" : "|") + parts[i] + "=" + parts[i + 1];
    return out;
}

std::string join(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records) out += (out.empty() ? "" : "\n") + r;
    return out;
}

std::string index_record(const std::string& name, const std::string& fields, bool foreign, bool ignore_nulls,
                         bool primary, bool required, bool unique) {
    return record("name", name, "clustered", "False", "fields", fields, "foreign", word(foreign),
                  "ignore_nulls", word(ignore_nulls), "primary", word(primary), "required", word(required),
                  "unique", word(unique));
}

// A property's value as a listing writes it; `absent` when the column has none.
std::string property_text(const Column& c, std::u16string_view name, const char* absent = "") {
    for (const Property& p : c.properties) {
        if (p.name != name) continue;
        if (const auto* b = std::get_if<bool>(&p.value)) return word(*b);
        if (const auto* n = std::get_if<std::int64_t>(&p.value)) return std::to_string(*n);
        return utf8(std::get<std::u16string>(p.value));
    }
    return absent;
}

// A column's record: the engine's type, size and attributes for its kind, and the properties written.
std::string field_record(const Schema& s, const Column& c, std::size_t position) {
    const Kind& k = kind_of(c.type);
    std::string type = k.name;
    int size = k.size < 0 ? (c.size == 0 ? 255 : c.size) : k.size, attributes = k.attributes;
    if (c.complex != ComplexKind::none) {
        type = c.complex == ComplexKind::attachment ? "attachment" : multi_value_names.at(c.type);
        size = 4;
        attributes = 1;
    }
    if (c.fixed_length) attributes = 1;
    if (c.auto_number && c.type == ColumnType::long_integer) attributes = 17;
    if (c.hyperlink) attributes = 32770;
    if (!c.expression.empty()) attributes = 2;  // a calculated value is stored with its own header
    // Text and Memo columns of Jet 4 and ACE files are compressed or not; a multi-value column holds no text
    // itself (its values are in a table of their own).
    const bool compressible = (c.type == ColumnType::text || c.type == ColumnType::memo) &&
                              c.complex == ComplexKind::none && s.format != Format::jet3;
    return record("name", utf8(c.name), "allow_zero_length", property_text(c, u"AllowZeroLength", "False"),
                  "attributes", std::to_string(attributes), "default_value",
                  property_text(c, u"DefaultValue"), "ordinal_position", std::to_string(position), "required",
                  property_text(c, u"Required", "False"), "size", std::to_string(size), "type", type,
                  "collating_order", "1033", "auto_incr_field", attributes == 17 ? "S" : "N", "decimal",
                  property_text(c, u"DecimalPlaces"), "unicode",
                  compressible ? word(c.unicode_compression) : "");
}

std::string folded(std::string s) {
    for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

// Names ordered as the General sort order orders these: their first two letters decide, case ignored.
bool general_order(const std::string& a, const std::string& b) { return folded(a) < folded(b); }

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

// Debian's mdbtools, a reader of its own, finds every table and the type of every plain column; it finds no
// table or column by a name beyond the BMP.
void check_with_mdbtools(const Schema& s, const fs::path& file) {
    const auto beyond_bmp = [](const std::u16string& name) {
        return std::any_of(name.begin(), name.end(), [](char16_t c) { return c >= 0xD800 && c < 0xE000; });
    };
    const std::string quoted = "'" + file.string() + "'";
    const std::string utf8_locale = "LC_ALL=C.UTF-8 ";  // mdbtools takes names as UTF-8 only there
    const std::string tables = output_of(utf8_locale + "mdb-tables -S -1 " + quoted);
    for (const Table& t : s.tables) {
        if (beyond_bmp(t.name)) continue;
        EXPECT_NE(tables.find(utf8(t.name) + "\n"), std::string::npos) << utf8(t.name) << " in\n" << tables;
        const std::string schema =
            output_of(utf8_locale + "mdb-schema -T '" + utf8(t.name) + "' " + quoted + " 2>&1");
        for (const Column& c : t.columns) {
            if (c.complex != ComplexKind::none || !c.expression.empty() || beyond_bmp(c.name)) continue;
            std::string type = c.type == ColumnType::guid && !c.auto_number ? "" : kind_of(c.type).mdb_schema;
            if (c.type == ColumnType::text) type += " (" + std::to_string(c.size) + ")";
            if (c.type == ColumnType::decimal)
                type += " (" + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ")";
            EXPECT_NE(schema.find("[" + utf8(c.name) + "]\t\t\t" + type), std::string::npos)
                << type << " in\n"
                << schema;
        }
    }
    const std::string queries = output_of(utf8_locale + "mdb-queries -L " + quoted);
    for (const Query& q : s.queries) {
        if (beyond_bmp(q.name)) continue;
        EXPECT_NE(queries.find(utf8(q.name) + " "), std::string::npos) << utf8(q.name) << " in\n" << queries;
    }
}

void check(unsigned seed, const test::TempFolder& folder) {
    std::mt19937 engine(seed);
    const Schema s = Generator([&](std::size_t n) { return engine() % n; }).schema();
    const fs::path file = folder.path() / file_name(s.format);
    write_database(s, file);
    qz_cls_odbc_access session;
    session.connect(file.u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");
    const std::string date = std::find_if(std::begin(dates), std::end(dates), [&](const auto& d) {
                                 return d.first == s.created;
                             })->second;

    // Each table's indexes: first those joining a complex column to the table of its values (unique, named
    // after the column and the complex id numbered from 1 over the database), then the schema's in order (a
    // primary key is also unique and required), then the foreign-key index of each enforced relationship the
    // table is the foreign side of, on its own new column.
    std::map<std::u16string, std::vector<std::string>> indexes;
    unsigned complex_id = 0;
    for (const Table& t : s.tables) {
        for (const Column& c : t.columns) {
            if (c.complex == ComplexKind::none) continue;
            char id[33];
            std::snprintf(id, sizeof id, "%032X", ++complex_id);
            indexes[t.name].push_back(
                index_record(utf8(c.name) + "_" + id, "+" + utf8(c.name), false, false, false, false, true));
        }
        for (const Index& index : t.indexes) {
            std::string keys;
            for (const IndexColumn& c : index.columns)
                keys += (keys.empty() ? "" : ";") + std::string(c.descending ? "-" : "+") + utf8(c.column);
            indexes[t.name].push_back(index_record(utf8(index.name), keys, false, index.ignore_nulls,
                                                   index.primary, index.required || index.primary,
                                                   index.unique || index.primary));
        }
    }
    for (const Relationship& r : s.relationships) {
        if ((r.attributes & 2) == 0)
            indexes[r.foreign_table].push_back(index_record(utf8(r.name), "+" + utf8(r.columns[0].second),
                                                            true, false, false, false, false));
    }

    // Every table, in the catalog's name order; ids are positions in it. The system tables are taken as
    // listed, and so are the counts of fields and indexes of system and linked tables.
    struct Row {
        std::string name, counts;
        std::int32_t attributes;
    };
    std::vector<Row> rows;
    const auto listed = records_of(utf8(session.get_tables(u"")));
    for (const auto& r : listed) {
        if (r.at("name").starts_with("MSys")) rows.push_back({r.at("name"), "", INT32_MIN});
    }
    for (const Table& t : s.tables) {
        rows.push_back({utf8(t.name),
                        "fields=" + std::to_string(t.columns.size()) +
                            "|indexes=" + std::to_string(indexes[t.name].size()),
                        t.hidden   ? 1
                        : t.system ? INT32_MIN
                                   : 0});
    }
    for (const LinkedTable& l : s.linked_tables)
        rows.push_back({utf8(l.name), "", l.connect.empty() ? 1073741824 : 536870912});
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return general_order(a.name, b.name); });
    ASSERT_EQ(listed.size(), rows.size());
    std::vector<std::string> tab, sys;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string counts = rows[i].counts.empty() ? record("fields", listed[i].at("fields"),
                                                                   "indexes", listed[i].at("indexes"))
                                                          : rows[i].counts;
        (rows[i].attributes == 0 ? tab : sys)
            .push_back(record("id", std::to_string(i), "name", rows[i].name, "date_created", date,
                              "last_updated", date) +
                       "|" + counts + "|attributes=" + std::to_string(rows[i].attributes));
    }
    EXPECT_EQ(utf8(session.get_tables(u"tab")), join(tab));
    EXPECT_EQ(utf8(session.get_tables(u"sys")), join(sys));

    const auto expect_fields = [&](const std::u16string& table, const std::vector<Column>& columns) {
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < columns.size(); ++i) fields.push_back(field_record(s, columns[i], i));
        EXPECT_EQ(utf8(session.get_fields(table, u"")), join(fields)) << utf8(table);
    };
    for (const Table& t : s.tables) {
        expect_fields(t.name, t.columns);
        EXPECT_EQ(utf8(session.get_indexes(t.name)), join(indexes[t.name])) << utf8(t.name);
    }
    // A linked Access table is described as its source describes it; an ODBC one by its kept definition.
    for (const LinkedTable& l : s.linked_tables) {
        const auto source = std::find_if(s.tables.begin(), s.tables.end(), [&](const Table& t) {
            return folded(utf8(t.name)) == folded(utf8(l.foreign_name));
        });
        expect_fields(l.name, l.connect.empty() ? source->columns : l.columns);
    }

    std::vector<std::string> relations;
    for (const Relationship& r : s.relationships) {
        std::string pairs;
        for (const auto& [primary, foreign] : r.columns)
            pairs +=
                (pairs.empty() ? "" : ",") + ("name:" + utf8(primary) + "&foreign_name:" + utf8(foreign));
        relations.push_back(record("name", utf8(r.name), "table", utf8(r.primary_table), "foreign_table",
                                   utf8(r.foreign_table), "attributes",
                                   std::to_string(static_cast<std::int32_t>(r.attributes)), "fields", pairs));
    }
    std::sort(relations.begin(), relations.end(), general_order);
    EXPECT_EQ(utf8(session.get_relations()), join(relations));

    // Saved queries in name order, each with a field for each column it selects.
    std::vector<const Query*> queries;
    for (const Query& q : s.queries) queries.push_back(&q);
    std::sort(queries.begin(), queries.end(),
              [](const Query* a, const Query* b) { return general_order(utf8(a->name), utf8(b->name)); });
    std::vector<std::string> query_records;
    for (std::size_t i = 0; i < queries.size(); ++i) {
        const auto fields = std::count_if(queries[i]->rows.begin(), queries[i]->rows.end(),
                                          [](const QueryRow& row) { return row.attribute == 6; });
        query_records.push_back(record("id", std::to_string(i), "name", utf8(queries[i]->name),
                                       "date_created", date, "last_updated", date, "fields",
                                       std::to_string(fields)));
    }
    EXPECT_EQ(utf8(session.get_querys()), join(query_records));
    if (s.tables.size() > 100) {  // the catalog is found through its index, not by reading every page
        const auto catalog = jet::Catalog::open(file.u16string(), u"");
        EXPECT_LT(catalog->file().pages_read(), catalog->file().page_count() / 4);
    }

    if (seed % mdbtools_every == 0 && mdbtools_installed()) check_with_mdbtools(s, file);
}

TEST(RoundTripProperty, RandomSchemasAreListedExactlyAsWritten) {
    ::setenv("LC_ALL", "C", 1);
    const test::TempFolder folder;
    const char* only = std::getenv("QZ_ROUND_TRIP_SEED");
    const char* count = std::getenv("QZ_ROUND_TRIP_SEEDS");
    const unsigned first = only ? static_cast<unsigned>(std::stoul(only)) : 0;
    const unsigned last =
        only ? first + 1 : static_cast<unsigned>(count ? std::stoul(count) : default_seed_count);
    if (!mdbtools_installed())
        std::printf("mdbtools is not installed: only the project's reader checks the files\n");
    for (unsigned seed = first; seed < last; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed) + "; rerun it alone with QZ_ROUND_TRIP_SEED=" +
                     std::to_string(seed) + " writer_test --gtest_filter=RoundTripProperty.*");
        try {
            check(seed, folder);
        } catch (const Error& e) {
            ADD_FAILURE() << "error " << e.number() << ": " << utf8(e.description());
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
        if (HasFailure()) break;  // the first failing seed is the one to look at
    }
}

// A linked Access table whose source is missing gives 3024; an ODBC link whose kept definition is gone fails
// as a connection to its data source would.
TEST(WrittenLinks, AMissingSourceGives3024AndAnOdbcLinkWithoutItsDefinition3151) {
    Schema s;
    s.linked_tables = {{u"Missing", u"Customers", u"/nonexistent/source.mdb"},
                       {u"Odbc orders",
                        u"dbo.orders",
                        u"",
                        u"DATABASE=shop;DSN=shop",
                        {qz::writer::column(u"Number", ColumnType::long_integer)}}};
    const test::WrittenDatabase file(s);
    std::string bytes = test::read_file(file.path());
    const auto catalog = jet::Catalog::open(file.path().u16string(), u"");
    for (const jet::CatalogObject* table : catalog->tables()) {
        if (table->name == u"Odbc orders") bytes.replace((table->id & 0xFFFFFF) * 4096, 4096, 4096, '\0');
    }
    const auto error_of = [](const fs::path& path, const char16_t* table) {
        try {
            qz_cls_odbc_access session;
            session.connect(path.u16string());
            session.get_fields(table, u"");
        } catch (const Error& e) {
            return std::to_string(e.number()) + " " + utf8(e.description());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error_of(file.path(), u"Missing").substr(0, 4), "3024");
    EXPECT_EQ(error_of(file.folder().write("uncached.mdb", bytes), u"Odbc orders"),
              "3151 ODBC--connection to 'shop' failed.");
}

}  // namespace
}  // namespace qz::writer

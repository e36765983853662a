// The reader behind the engine interface, run on the shared fixtures and compared with the facts an
// independent reader wrote about each of them. Skipped when the fixtures are absent.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "reader/fixture_facts.hpp"
#include "reader/reader_test_files.hpp"
#include "support/fixtures.hpp"

namespace qz::jet {
namespace {

using test::Json;

std::string utf8(const std::u16string& text) { return text::utf16_to_utf8(text); }

std::shared_ptr<engine::Database> open(const std::filesystem::path& file, const std::string& password = "") {
    return AccessFileEngine().OpenDatabase(file.u16string(), false, true,
                                           u";pwd=" + text::utf8_to_utf16(password));
}

// Facts' names of the rows of `types` under `container`, in ParentIdName order.
std::vector<std::string> catalog_order(const Json& facts, std::set<int> types, const std::string& container) {
    double parent = -1;
    for (const auto& o : facts["parentIdNameOrder"].items) {
        if (o["Name"].text == container && o["Type"].number == 3) parent = o["Id"].number;
    }
    std::vector<std::string> names;
    for (const auto& o : facts["parentIdNameOrder"].items) {
        if (o["ParentId"].number == parent && types.count(static_cast<int>(o["Type"].number)) != 0) {
            names.push_back(o["Name"].text);
        }
    }
    return names;
}

std::set<std::string> flat_tables(const Json& facts) {
    std::set<std::string> flat;
    for (const auto& t : facts["tables"].items) {
        for (const auto& c : t["columns"].items) {
            if (!c["complex"]["flatTable"].text.empty()) flat.insert(c["complex"]["flatTable"].text);
        }
    }
    return flat;
}

const Json* facts_table(const Json& facts, const std::string& name) {
    for (const auto& t : facts["tables"].items) {
        if (t["name"].text == name) return &t;
    }
    return nullptr;
}

bool visible(const Json& column) { return column["complex"]["type"].text != "VERSION_HISTORY"; }

int dao_type(const Json& column) {
    static const std::map<int, int> file_to_dao = {{16, 20}, {17, 9}, {19, 16}, {20, 26}};
    static const std::map<int, int> complex_element = {{2, 102},  {3, 103},  {4, 104},  {6, 105}, {7, 106},
                                                       {15, 107}, {16, 108}, {10, 109}, {12, 109}};
    const int byte =
        static_cast<int>(column[column["calculated"].boolean ? "dataTypeByte" : "typeByte"].number);
    if (byte == 18) {
        if (column["complex"]["type"].text == "ATTACHMENT") return 101;
        const auto e = complex_element.find(static_cast<int>(column["complex"]["elementTypeByte"].number));
        return e == complex_element.end() ? 18 : e->second;
    }
    const auto mapped = file_to_dao.find(byte);
    return mapped == file_to_dao.end() ? byte : mapped->second;
}

std::string field_record(const engine::Field& f) {
    return utf8(f.Name()) + " type " + std::to_string(f.Type()) + (f.Required() ? " required" : "") +
           (f.AllowZeroLength() ? " zero-length" : "");
}
std::string expected_field_record(const Json& c) {
    bool required = false;
    bool zero_length = false;
    for (const auto& p : c["properties"].items) {
        if (p["name"].text == "Required") required = p["value"].boolean;
        if (p["name"].text == "AllowZeroLength") zero_length = p["value"].boolean;
    }
    return c["name"].text + " type " + std::to_string(dao_type(c)) + (required ? " required" : "") +
           (zero_length ? " zero-length" : "");
}

std::string index_record(const engine::Index& i) {
    return utf8(i.Name()) + " " + utf8(i.Fields()) + (i.Primary() ? " primary" : "") +
           (i.Unique() ? " unique" : "") + (i.Foreign() ? " foreign" : "") +
           (i.Required() ? " required" : "") + (i.IgnoreNulls() ? " ignore-nulls" : "");
}
std::string expected_index_record(const Json& i) {
    std::string fields;
    for (const auto& c : i["columns"].items) {
        fields +=
            (fields.empty() ? "" : ";") + std::string(c["ascending"].boolean ? "+" : "-") + c["name"].text;
    }
    return i["name"].text + " " + fields + (i["primaryKey"].boolean ? " primary" : "") +
           (i["unique"].boolean ? " unique" : "") + (i["foreignKey"].boolean ? " foreign" : "") +
           (i["required"].boolean ? " required" : "") + (i["ignoreNulls"].boolean ? " ignore-nulls" : "");
}

TEST(FixtureCatalog, EveryFormatListsTheTablesFieldsAndIndexesOfTheFacts) {
    QZ_REQUIRE_FIXTURES();
    const auto fixtures = test::unencrypted_fixtures(test::fixtures_folder());
    ASSERT_FALSE(fixtures.empty());
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.file.string());
        const Json& facts = fixture.facts;
        // Protected fixtures open with the password their facts were read with.
        const auto database = open(fixture.file, facts["passwordUsed"].text);
        const auto tables = database->TableDefs();
        const std::set<std::string> flat = flat_tables(facts);
        std::vector<std::string> expected_names;
        for (const auto& name : catalog_order(facts, {1, 4, 6}, "Tables")) {
            if (flat.count(name) == 0) expected_names.push_back(name);
        }
        std::vector<std::string> names;
        for (std::int16_t i = 0; i < tables->Count(); ++i) names.push_back(utf8(tables->Item(i)->Name()));
        EXPECT_EQ(names, expected_names) << "table names or their order";

        for (std::int16_t t = 0; t < tables->Count(); ++t) {
            const auto table = tables->Item(t);
            const Json* expected = facts_table(facts, utf8(table->Name()));
            ASSERT_NE(expected, nullptr);
            if ((*expected)["msysType"].number == 6 && (*expected)["columns"].items.empty())
                continue;  // broken link
            std::vector<std::string> fields, expected_fields;
            const auto field_list = table->Fields();
            for (std::int16_t i = 0; i < field_list->Count(); ++i)
                fields.push_back(field_record(*field_list->Item(i)));
            for (const auto& c : (*expected)["columns"].items) {
                if (visible(c)) expected_fields.push_back(expected_field_record(c));
            }
            EXPECT_EQ(fields, expected_fields) << "fields of " << utf8(table->Name());
            std::vector<std::string> indexes, expected_indexes;
            const auto index_list = table->Indexes();
            for (std::int16_t i = 0; i < index_list->Count(); ++i)
                indexes.push_back(index_record(*index_list->Item(i)));
            for (const auto& i : (*expected)["indexes"].items) {
                if (!i["reference"]["isPrimaryTable"].boolean)
                    expected_indexes.push_back(expected_index_record(i));
            }
            EXPECT_EQ(indexes, expected_indexes) << "indexes of " << utf8(table->Name());
        }
    }
}

TEST(FixtureCatalog, RelationsComeWithTheirFieldPairsInColumnOrder) {
    QZ_REQUIRE_FIXTURES();
    for (const char* name : {"synthetic/relations_V2003.mdb", "synthetic/relations_V2010.accdb"}) {
        const std::filesystem::path file = test::fixtures_folder() / name;
        const Json facts = test::read_json_file(test::fixtures_folder() / ".." / "fixtures-facts" /
                                                (std::string(name) + ".json"));
        std::map<std::string, std::vector<const Json*>> rows;
        for (const auto& r : facts["msysRelationships"].items) rows[r["szRelationship"].text].push_back(&r);
        std::vector<std::string> expected;
        for (const auto& relation : catalog_order(facts, {8}, "Relationships")) {
            auto& pairs = rows[relation];
            std::sort(pairs.begin(), pairs.end(), [](const Json* a, const Json* b) {
                return a->operator[]("icolumn").number < b->operator[]("icolumn").number;
            });
            std::string text = relation + " " + pairs[0]->operator[]("szReferencedObject").text + " -> " +
                               pairs[0]->operator[]("szObject").text + " " +
                               std::to_string(static_cast<long>(pairs[0]->operator[]("grbit").number));
            for (const Json* p : pairs) {
                text += " " + p->operator[]("szReferencedColumn").text + "=" + p->operator[]("szColumn").text;
            }
            expected.push_back(text);
        }
        const auto relations = open(file)->Relations();
        std::vector<std::string> got;
        for (std::int16_t i = 0; i < relations->Count(); ++i) {
            const auto r = relations->Item(i);
            std::string text = utf8(r->Name()) + " " + utf8(r->Table()) + " -> " + utf8(r->ForeignTable()) +
                               " " + std::to_string(r->Attributes());
            const auto fields = r->Fields();
            for (std::int16_t f = 0; f < fields->Count(); ++f) {
                text += " " + utf8(fields->Item(f)->Name()) + "=" + utf8(fields->Item(f)->ForeignName());
            }
            got.push_back(text);
        }
        EXPECT_EQ(got, expected) << name;
    }
}

TEST(FixtureCatalog, AccentsCjkAndEmojiInNamesArriveIntact) {
    QZ_REQUIRE_FIXTURES();
    for (const char* name : {"synthetic/names_V2003.mdb", "synthetic/names_V2010.accdb"}) {
        const auto tables = open(test::fixtures_folder() / name)->TableDefs();
        std::set<std::u16string> names;
        std::unique_ptr<engine::TableDef> odd;
        for (std::int16_t i = 0; i < tables->Count(); ++i) {
            auto table = tables->Item(i);
            names.insert(table->Name());
            if (table->Name() == u"OddColumns") odd = std::move(table);
        }
        for (const std::u16string expected :
             {u"Ação", u"表格", u"テーブル", u"😀 Emoji", u" Leading Space", u"Trailing "}) {
            EXPECT_EQ(names.count(expected), 1u) << name << ": " << utf8(expected);
        }
        ASSERT_NE(odd, nullptr) << name;
        const auto fields = odd->Fields();
        std::vector<std::u16string> field_names;
        for (std::int16_t i = 0; i < std::min<std::int16_t>(fields->Count(), 4); ++i)
            field_names.push_back(fields->Item(i)->Name());
        EXPECT_EQ(field_names, (std::vector<std::u16string>{u"Código", u"Descrição", u"名前", u"🔑"})) << name;
    }
}

TEST(FixtureCatalog, LinkedTablesAreReadFromTheirSourceAndAMissingSourceGives3024) {
    QZ_REQUIRE_FIXTURES();
    for (const char* name :
         {"synthetic/linked_V2000.mdb", "synthetic/linked_V2007.accdb", "synthetic/linked_V2016.accdb"}) {
        const auto tables = open(test::fixtures_folder() / name)->TableDefs();
        for (std::int16_t i = 0; i < tables->Count(); ++i) {
            const auto table = tables->Item(i);
            if (table->Name() == u"LinkedCustomers") {
                EXPECT_EQ(table->Attributes(), 0x40000000) << name;
                const auto fields = table->Fields();
                ASSERT_EQ(fields->Count(), 3) << name;
                EXPECT_EQ(fields->Item(1)->Name(), u"name") << name;
            }
            if (table->Name() == u"LinkedMissing") {
                try {
                    table->Fields();
                    ADD_FAILURE() << name << ": a link to a missing file was read";
                } catch (const Error& e) {
                    EXPECT_EQ(e.number(), error_number::file_not_found) << name;
                }
            }
        }
    }
}

TEST(FixtureCatalog, AnOdbcLinkIsDescribedByItsCachedDefinitionAndWithoutOneGives3151) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path source = test::fixtures_folder() / "jackcess/V2007/odbcLinkerTestV2007.accdb";
    const auto fields_of_link = [](const std::u16string& path) {
        const auto tables = AccessFileEngine().OpenDatabase(path, false, true, u";pwd=")->TableDefs();
        for (std::int16_t i = 0; i < tables->Count(); ++i) {
            const auto table = tables->Item(i);
            if (table->Name() == u"Ordrar") return table->Fields()->Count();
        }
        return std::int16_t{-1};
    };
    EXPECT_GT(fields_of_link(source.u16string()), 0) << "the cached definition describes the link";

    // The same file with the cached definition (page 127, the link's id) made an empty page.
    std::ifstream in(source, std::ios::binary);
    test::Bytes bytes{std::istreambuf_iterator<char>(in), {}};
    std::fill_n(bytes.begin() + 127 * 4096, 4096, std::uint8_t{0});
    test::TemporaryDatabase copy("odbc_without_cache.accdb", {bytes});
    try {
        fields_of_link(copy.path());
        ADD_FAILURE() << "an ODBC link without a cached definition was described";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), error_number::odbc_connection_failed);
        EXPECT_EQ(e.description(), u"ODBC--connection to 'Magnapinna' failed.");
    }
}

TEST(FixtureCatalog, ListingTablesReadsCatalogPagesOnlyNotRowData) {
    QZ_REQUIRE_FIXTURES();
    // 2000 tables: listing their names touches the catalog and its index, not one page per table.
    const auto catalog =
        Catalog::open((test::fixtures_folder() / "synthetic/many_tables_2000_V2003.mdb").u16string(), u"");
    const auto tables = catalog->tables();
    EXPECT_EQ(
        std::count_if(tables.begin(), tables.end(), [](const CatalogObject* t) { return t->flags == 0; }),
        2000);
    EXPECT_LT(catalog->file().pages_read(), catalog->file().page_count() / 20)
        << catalog->file().pages_read() << " of " << catalog->file().page_count() << " pages read";
}

}  // namespace
}  // namespace qz::jet

// The reader behind the engine interface, run on the shared fixtures and compared with the facts an
// independent reader wrote about each of them: the extra layer over the tests on written files. Skipped,
// visibly, when the fixtures (QZ_FIXTURES, else ../shared/fixtures) are absent.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/text/code_page.hpp"
#include "reader/fixture_facts.hpp"
#include "reader/reader_test_files.hpp"
#include "support/fixtures.hpp"

namespace qz::jet {
namespace {

using test::Json;
using test::flag_of;
using test::member;
using test::text_of;

std::string utf8(const std::u16string& text) { return text::utf16_to_utf8(text); }

std::shared_ptr<engine::Database> open(const std::filesystem::path& file, const std::string& password = "") {
    return AccessFileEngine().OpenDatabase(file.u16string(), false, true,
                                           u";pwd=" + text::utf8_to_utf16(password));
}

// Facts' names of the rows of `types` under `container`, in ParentIdName order.
std::vector<std::string> catalog_order(const Json& facts, std::set<int> types, const std::string& container) {
    std::int64_t parent = -1;
    for (const auto& o : facts["parentIdNameOrder"]) {
        if (text_of(o, "Name") == container && o["Type"].get<int>() == 3) parent = o["Id"].get<std::int64_t>();
    }
    std::vector<std::string> names;
    for (const auto& o : facts["parentIdNameOrder"]) {
        if (o["ParentId"].get<std::int64_t>() == parent && types.count(o["Type"].get<int>()) != 0) {
            names.push_back(text_of(o, "Name"));
        }
    }
    return names;
}

std::set<std::string> flat_tables(const Json& facts) {
    std::set<std::string> flat;
    for (const auto& t : facts["tables"]) {
        for (const auto& c : member(t, "columns")) {
            const std::string name = text_of(member(c, "complex"), "flatTable");
            if (!name.empty()) flat.insert(name);
        }
    }
    return flat;
}

const Json* facts_table(const Json& facts, const std::string& name) {
    for (const auto& t : facts["tables"]) {
        if (text_of(t, "name") == name) return &t;
    }
    return nullptr;
}

bool visible(const Json& column) { return text_of(member(column, "complex"), "type") != "VERSION_HISTORY"; }

std::string index_record(const engine::Index& i) {
    return utf8(i.Name()) + " " + utf8(i.Fields()) + (i.Primary() ? " primary" : "") +
           (i.Unique() ? " unique" : "") + (i.Foreign() ? " foreign" : "") +
           (i.Required() ? " required" : "") + (i.IgnoreNulls() ? " ignore-nulls" : "");
}
std::string expected_index_record(const Json& i) {
    std::string fields;
    for (const auto& c : member(i, "columns")) {
        fields += (fields.empty() ? "" : ";") + std::string(flag_of(c, "ascending") ? "+" : "-") + text_of(c, "name");
    }
    return text_of(i, "name") + " " + fields + (flag_of(i, "primaryKey") ? " primary" : "") +
           (flag_of(i, "unique") ? " unique" : "") + (flag_of(i, "foreignKey") ? " foreign" : "") +
           (flag_of(i, "required") ? " required" : "") + (flag_of(i, "ignoreNulls") ? " ignore-nulls" : "");
}

// Names and order of tables, fields and indexes as the independent reader found them; the types and flags
// of fields are pinned by the tests on written files.
TEST(FixtureCatalog, EveryFormatListsTheTablesFieldsAndIndexesOfTheFacts) {
    QZ_REQUIRE_FIXTURES();
    const auto fixtures = test::unencrypted_fixtures(test::fixtures_folder());
    ASSERT_FALSE(fixtures.empty());
    for (const auto& fixture : fixtures) {
        SCOPED_TRACE(fixture.file.string());
        const Json& facts = fixture.facts;
        // Protected fixtures open with the password their facts were read with.
        const auto database = open(fixture.file, text_of(facts, "passwordUsed"));
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
            if (member(*expected, "msysType") == 6 && member(*expected, "columns").empty()) continue;  // broken link
            std::vector<std::string> fields, expected_fields;
            const auto field_list = table->Fields();
            for (std::int16_t i = 0; i < field_list->Count(); ++i) fields.push_back(utf8(field_list->Item(i)->Name()));
            for (const auto& c : member(*expected, "columns")) {
                if (visible(c)) expected_fields.push_back(text_of(c, "name"));
            }
            EXPECT_EQ(fields, expected_fields) << "fields of " << utf8(table->Name());
            std::vector<std::string> indexes, expected_indexes;
            const auto index_list = table->Indexes();
            for (std::int16_t i = 0; i < index_list->Count(); ++i)
                indexes.push_back(index_record(*index_list->Item(i)));
            for (const auto& i : member(*expected, "indexes")) {
                if (!flag_of(member(i, "reference"), "isPrimaryTable")) expected_indexes.push_back(expected_index_record(i));
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
        for (const auto& r : facts["msysRelationships"]) rows[text_of(r, "szRelationship")].push_back(&r);
        std::vector<std::string> expected;
        for (const auto& relation : catalog_order(facts, {8}, "Relationships")) {
            auto& pairs = rows[relation];
            std::sort(pairs.begin(), pairs.end(), [](const Json* a, const Json* b) {
                return (*a)["icolumn"].get<int>() < (*b)["icolumn"].get<int>();
            });
            std::string text = relation + " " + text_of(*pairs[0], "szReferencedObject") + " -> " +
                               text_of(*pairs[0], "szObject") + " " +
                               std::to_string((*pairs[0])["grbit"].get<long>());
            for (const Json* p : pairs) text += " " + text_of(*p, "szReferencedColumn") + "=" + text_of(*p, "szColumn");
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

}  // namespace
}  // namespace qz::jet

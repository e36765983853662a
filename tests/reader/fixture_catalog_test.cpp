// The extra layer over the tests on written files: the reader on the shared fixtures, compared with the facts
// an independent reader wrote about each (names and order of tables, fields and indexes, index flags).
// Skipped, visibly, when the fixtures (QZ_FIXTURES, else ../shared/fixtures) are absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"

namespace qz::jet {
namespace {

using Json = nlohmann::json;

std::string utf8(const std::u16string& text) { return text::utf16_to_utf8(text); }
// A member of the facts, null (an empty range) when they leave it out.
const Json& member(const Json& j, const char* key) {
    static const Json none;
    return j.is_object() && j.contains(key) ? j[key] : none;
}
std::string text_of(const Json& j, const char* key) {
    return member(j, key).is_string() ? j[key].get<std::string>() : "";
}
bool flag_of(const Json& j, const char* key) { return member(j, key) == true; }

std::string index_record(const std::string& name, const std::string& fields, bool primary, bool unique,
                         bool foreign, bool required, bool ignore_nulls) {
    return name + " " + fields + (primary ? " primary" : "") + (unique ? " unique" : "") +
           (foreign ? " foreign" : "") + (required ? " required" : "") +
           (ignore_nulls ? " ignore-nulls" : "");
}

TEST(FixtureCatalog, EveryUnencryptedFixtureListsTheTablesFieldsAndIndexesOfTheFacts) {
    QZ_REQUIRE_FIXTURES();
    const std::filesystem::path facts_folder =
        (test::fixtures_folder() / ".." / "fixtures-facts").lexically_normal();
    std::size_t checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(facts_folder)) {
        const std::filesystem::path relative = std::filesystem::relative(entry.path(), facts_folder);
        const std::filesystem::path file = test::fixtures_folder() / relative.parent_path() / relative.stem();
        if (entry.path().extension() != ".json" || !std::filesystem::exists(file)) continue;
        const Json facts = Json::parse(std::ifstream(entry.path()));
        if (text_of(member(facts, "encryption"), "codec") != "none") continue;
        SCOPED_TRACE(file.string());
        // The facts' tables under the Tables container in the catalog index's order, less complex columns'
        // flat tables.
        std::set<std::string> flat;
        for (const Json& t : facts["tables"])
            for (const Json& c : member(t, "columns"))
                flat.insert(text_of(member(c, "complex"), "flatTable"));
        Json tables_id;
        for (const Json& o : facts["parentIdNameOrder"])
            if (text_of(o, "Name") == "Tables" && o["Type"] == 3) tables_id = o["Id"];
        std::vector<std::string> expected, listed;
        for (const Json& o : facts["parentIdNameOrder"]) {
            if (o["ParentId"] == tables_id && (o["Type"] == 1 || o["Type"] == 4 || o["Type"] == 6) &&
                flat.count(text_of(o, "Name")) == 0)
                expected.push_back(text_of(o, "Name"));
        }
        const auto database = AccessFileEngine().OpenDatabase(
            file.u16string(), false, true, u";pwd=" + text::utf8_to_utf16(text_of(facts, "passwordUsed")));
        const auto tables = database->TableDefs();
        for (std::int16_t t = 0; t < tables->Count(); ++t) listed.push_back(utf8(tables->Item(t)->Name()));
        EXPECT_EQ(listed, expected);

        for (const Json& table : facts["tables"]) {
            const std::string name = text_of(table, "name");
            const auto at = std::find(listed.begin(), listed.end(), name);
            if (at == listed.end() || (table["msysType"] == 6 && member(table, "columns").empty()))
                continue;  // a broken link
            std::vector<std::string> want, got;
            for (const Json& c : member(table, "columns"))
                if (text_of(member(c, "complex"), "type") != "VERSION_HISTORY")
                    want.push_back("field " + text_of(c, "name"));
            for (const Json& i : member(table, "indexes")) {
                if (flag_of(member(i, "reference"), "isPrimaryTable")) continue;
                std::string fields;
                for (const Json& c : member(i, "columns"))
                    fields += (fields.empty() ? "" : ";") + std::string(flag_of(c, "ascending") ? "+" : "-") +
                              text_of(c, "name");
                want.push_back(index_record(text_of(i, "name"), fields, flag_of(i, "primaryKey"),
                                            flag_of(i, "unique"), flag_of(i, "foreignKey"),
                                            flag_of(i, "required"), flag_of(i, "ignoreNulls")));
            }
            const auto definition = tables->Item(static_cast<std::int16_t>(at - listed.begin()));
            const auto fields = definition->Fields();
            for (std::int16_t f = 0; f < fields->Count(); ++f)
                got.push_back("field " + utf8(fields->Item(f)->Name()));
            const auto indexes = definition->Indexes();
            for (std::int16_t n = 0; n < indexes->Count(); ++n) {
                const auto i = indexes->Item(n);
                got.push_back(index_record(utf8(i->Name()), utf8(i->Fields()), i->Primary(), i->Unique(),
                                           i->Foreign(), i->Required(), i->IgnoreNulls()));
            }
            EXPECT_EQ(got, want) << name;
        }
        ++checked;
    }
    EXPECT_GT(checked, 50u);
}

}  // namespace
}  // namespace qz::jet

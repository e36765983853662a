// The listings over the in-memory engine, each run as a whole request through the front end: what the
// round-trip and digest tests cannot reach (lookups, selectors, separators, engine values no file holds,
// failures).

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "odbc_access/exe/front_end.hpp"
#include "support/memory_engine.hpp"
#include "support/result_file.hpp"

namespace qz {
namespace {

using test::MemoryDatabase;
using test::MemoryField;

constexpr std::u16string_view table_not_found = u"Tabela não encotrada !";
constexpr std::u16string_view query_not_found = u"Query não encotrada !";

class Listings : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("LC_ALL", "C", 1); }
    void use(MemoryDatabase database) { engine_->files[u"db.mdb"] = std::move(database); }

    // Runs the listing `word` with `argument` on the data source; the result text, or the error line.
    std::u16string request(std::u16string_view word, std::u16string_view argument = u"") {
        std::u16string command = data_source_ + u"_:_user_:_pwd";
        for (const std::u16string& separator : separators_) command += u"_:_" + separator;
        command += u"_:_" + text::utf8_to_utf16((folder_ / "out.txt").string()) + u"_:_";
        command.append(word).append(u"_:_").append(argument);
        front_end::run_request(command, folder_.path(), engine_);
        return test::result_text(folder_ / "out.txt");
    }

    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
    test::TempFolder folder_;
    std::u16string data_source_ = u"db.mdb";
    std::u16string separators_[6] = {u"|", u";", u"=", u",", u"&", u":"};
};

TEST_F(Listings, TableSelectorsPickByAttributesAndKeepTheirPositionsAsIds) {
    MemoryDatabase database;
    for (const auto& [name, attributes] : {std::pair<std::u16string, std::int32_t>{u"MSysObjects", INT32_MIN + 2},
                                           {u"Clientes", 0}, {u"Escondida", 1}, {u"Pedidos", 0}}) {
        database.tables.push_back({.name = name, .attributes = attributes, .date_created = {1.5}, .last_updated = {2}});
    }
    use(database);
    const auto record = [](int id, std::u16string name, std::u16string attributes) {
        return u"id=" + std::u16string(1, static_cast<char16_t>(u'0' + id)) + u";name=" + name +
               u";date_created=12/31/1899 12:00:00;last_updated=01/01/1900;fields=0;indexes=0;attributes=" +
               attributes;
    };
    const std::u16string msys = record(0, u"MSysObjects", u"-2147483646"), clientes = record(1, u"Clientes", u"0"),
                         escondida = record(2, u"Escondida", u"1"), pedidos = record(3, u"Pedidos", u"0");
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"tab", clientes + u"|" + pedidos},
        {u"sys", msys + u"|" + escondida},
        {u"", msys + u"|" + clientes + u"|" + escondida + u"|" + pedidos},
        {u"TAB", u""}, {u"Sys", u""}, {u" tab", u""}, {u"tab ", u""}, {u"all", u""},
    };
    for (const auto& [selector, listing] : cases) EXPECT_EQ(request(u"get_tables", selector), listing) << selector.size();
}

TEST_F(Listings, EmptySeparatorsRunKeysAndValuesTogetherAndSeparatorsInNamesStayUnchanged) {
    MemoryDatabase database;
    database.tables = {{.name = u"a;b=c|d"}, {.name = u"T2"}};
    database.relations = {{.name = u"R,&:", .table = u"A", .foreign_table = u"B", .attributes = INT32_MIN,
                           .fields = {{.name = u"x", .foreign_name = u"y"}, {.name = u"z", .foreign_name = u"w"}}}};
    use(database);
    separators_[0] = separators_[1] = separators_[2] = u"";
    EXPECT_EQ(request(u"get_tables"),
              u"id0namea;b=c|ddate_created00:00:00last_updated00:00:00fields0indexes0attributes0"
              u"id1nameT2date_created00:00:00last_updated00:00:00fields0indexes0attributes0");
    separators_[0] = u"|", separators_[1] = u";", separators_[2] = u"=";
    EXPECT_EQ(request(u"get_relations"),
              u"name=R,&:;table=A;foreign_table=B;attributes=-2147483648;"
              u"fields=name:x&foreign_name:y,name:z&foreign_name:w");
}

TEST_F(Listings, FieldItemsFollowTheEngineValuesExactly) {
    struct Case {
        const char* fault;
        MemoryField field;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {"auto-increment is 17 exactly, not a bit test", {.attributes = 49}, u"auto_incr_field=N"},
        {"16 alone is no auto-increment", {.attributes = 16}, u"auto_incr_field=N"},
        {"a property in other letter case does not count", {.properties = {{u"decimalplaces", std::int64_t{2}}}},
         u"decimal=;"},
        {"a later property overwrites an earlier one",
         {.properties = {{u"DecimalPlaces", std::int64_t{2}}, {u"DecimalPlaces", std::int64_t{3}}}}, u"decimal=3;"},
        {"type 20 is named decimal and keeps its own decimal item",
         {.type = 20, .properties = {{u"DecimalPlaces", std::int64_t{4}}}},
         u"type=decimal;collating_order=1033;auto_incr_field=N;decimal=4;unicode="},
        {"an unnamed type is written as its code", {.type = 13}, u"type=13;"},
        {"a numeric default is written as VB writes it", {.default_value = 2.5}, u"default_value=2.5;"},
        {"attributes with the top bit set are negative", {.attributes = INT32_MIN + 1}, u"attributes=-2147483647;"},
    };
    for (const Case& c : cases) {
        MemoryDatabase database;
        database.tables = {{.name = u"T", .fields = {c.field, c.field}}};
        database.queries = {{.name = u"Q", .fields = {c.field}}};
        use(database);
        const std::u16string fields = request(u"get_fields", u"T");
        EXPECT_NE(fields.find(c.expected), std::u16string::npos) << c.fault << ": " << text::utf16_to_utf8(fields);
        EXPECT_EQ(fields.find(u'|'), fields.size() / 2) << "two records joined by separator one";
        EXPECT_EQ(request(u"get_fields_query", u"Q"), fields.substr(0, fields.size() / 2)) << c.fault;
    }
}

TEST_F(Listings, LookupsTakeTheFirstPositionOrExactNameThatMatches) {
    MemoryDatabase database;
    for (const std::u16string name : {u"2", u"Clientes", u"Pedidos", u" Lead", u"00"}) {
        database.tables.push_back({.name = name, .fields = {{.name = u"of " + name}}, .indexes = {{.name = u"ix " + name}}});
        database.queries.push_back({.name = name, .fields = {{.name = u"of " + name}}});
    }
    use(database);
    const std::pair<std::u16string, std::u16string> cases[] = {  // wanted, name found (empty: none)
        {u"0", u"2"}, {u" 0 ", u"2"},                 // spaces are trimmed for the position test
        {u"00", u"00"},                               // no position; only the table of exactly that name
        {u"+0", u""}, {u"2", u"2"},                   // the table named 2 at position 0 comes before position 2
        {u"3", u" Lead"}, {u"Clientes", u"Clientes"},
        {u"clientes", u""},                           // names are compared case-sensitively
        {u"Clientes ", u""}, {u" Lead", u" Lead"},    // a name with a leading blank matches only itself
        {u"Lead", u""}, {u"\t1", u""},                // only U+0020 is trimmed
        {u"", u""}, {u"5", u""},
    };
    for (const auto& [wanted, found] : cases) {
        const auto expect = [&](std::u16string_view word, std::u16string prefix, std::u16string_view not_found) {
            const std::u16string listing = request(word, wanted);
            if (found.empty()) {
                EXPECT_EQ(listing, not_found) << text::utf16_to_utf8(wanted);
            } else {
                EXPECT_EQ(listing.substr(0, 8 + found.size()), prefix + found) << text::utf16_to_utf8(wanted);
            }
        };
        expect(u"get_fields", u"name=of ", table_not_found);
        expect(u"get_indexes", u"name=ix ", table_not_found);
        expect(u"get_fields_query", u"name=of ", query_not_found);
    }
    use(MemoryDatabase{.tables = {{.name = u"Vazia"}}, .queries = {{.name = u"Acao"}}});
    EXPECT_EQ(request(u"get_fields", u"Vazia") + request(u"get_indexes", u"Vazia") + request(u"get_fields_query", u"0"),
              u"") << "an empty table or query lists nothing, not the not-found text";
}

TEST_F(Listings, EveryListingWithoutADatabaseEndsInError91) {
    test::TempFolder config;
    const test::OdbcConfigScope scope(config.path());
    data_source_ = u"listings_unknown_dsn";
    for (const std::u16string_view word :
         {u"get_tables", u"get_fields", u"get_indexes", u"get_relations", u"get_querys", u"get_fields_query"}) {
        EXPECT_EQ(request(word, u"0"), u"Erro: 91 - Object variable or With block variable not set\r\n") << word.size();
    }
}

TEST_F(Listings, AnEngineFailureEndsTheListingWithTheEngineErrorAndNoPartialText) {
    use({.tables = {{.name = u"Boa"}, {.name = u"Ruim", .fields = {{.name = u"a"}, {.damaged = true}}, .damaged = true}}});
    const std::u16string damaged = u"Erro: 3049 - Cannot open database 'memory'. It may be damaged: marked damaged "
                                   u"by the test.\r\n";
    EXPECT_EQ(request(u"get_fields", u"Ruim"), damaged);
    EXPECT_EQ(request(u"get_tables", u""), damaged);
}

}  // namespace
}  // namespace qz

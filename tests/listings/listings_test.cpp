// The six listings over the in-memory engine, each run as a whole request through the front end: record
// forms, separators, lookups and failures.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "odbc_access/exe/front_end.hpp"
#include "platform/text/code_page.hpp"
#include "support/memory_engine.hpp"
#include "support/temp_folder.hpp"

namespace qz {
namespace {

using test::MemoryDatabase;
using test::MemoryField;
using test::MemoryIndex;
using test::MemoryProperty;
using test::MemoryQuery;
using test::MemoryRelation;
using test::MemoryTable;

// 9 January 2014 10:11:12 and 10:15:40.
constexpr engine::OleDate created{41648.0 + (10 * 3600 + 11 * 60 + 12) / 86400.0};
constexpr engine::OleDate updated{41648.0 + (10 * 3600 + 15 * 60 + 40) / 86400.0};

MemoryField codigo() {
    return {.name = u"Codigo",
            .type = 4,
            .size = 4,
            .attributes = 17,
            .collating_order = 1033,
            .properties = {{u"DecimalPlaces", std::int64_t{255}}}};
}

MemoryField nome() {
    return {.name = u"Nome",
            .type = 10,
            .size = 50,
            .attributes = 2,
            .ordinal_position = 1,
            .default_value = std::u16string(u"x"),
            .required = true,
            .allow_zero_length = true,
            .properties = {{u"UnicodeCompression", true}}};
}

constexpr std::u16string_view codigo_record =
    u"name=Codigo;allow_zero_length=False;attributes=17;default_value=;ordinal_position=0;required=False;"
    u"size=4;type=long;collating_order=1033;auto_incr_field=S;decimal=255;unicode=";
constexpr std::u16string_view nome_record =
    u"name=Nome;allow_zero_length=True;attributes=2;default_value=x;ordinal_position=1;required=True;"
    u"size=50;type=text;collating_order=1033;auto_incr_field=N;decimal=;unicode=True";

class Listings : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("LC_ALL", "C", 1); }

    void use(MemoryDatabase database) { engine_->files[u"db.mdb"] = std::move(database); }

    // Runs the listing `word` with `argument` on the data source; the result text, or the error line.
    std::u16string request(std::u16string_view word, std::u16string_view argument = u"") {
        std::u16string command = data_source_ + u"_:_user_:_pwd";
        for (const std::u16string& separator : separators_) command += u"_:_" + separator;
        const std::filesystem::path output = folder_ / "out.txt";
        command += u"_:_" + text::utf8_to_utf16(output.string()) + u"_:_";
        command += word;
        command += u"_:_";
        command += argument;
        front_end::run_request(command, folder_.path(), engine_);
        const std::string bytes = test::read_file(output);
        if (bytes.rfind("\xFF\xFE", 0) != 0) return text::cp1252_to_utf16(bytes);
        std::u16string result;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            result += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            (static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return result;
    }

    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
    test::TempFolder folder_;
    std::u16string data_source_ = u"db.mdb";
    std::u16string separators_[6] = {u"|", u";", u"=", u",", u"&", u":"};
};

MemoryDatabase tables_of_every_kind() {
    MemoryDatabase database;
    database.tables = {
        {.name = u"MSysObjects",
         .attributes = static_cast<std::int32_t>(0x80000002u),
         .date_created = created,
         .last_updated = updated},
        {.name = u"Clientes",
         .date_created = created,
         .last_updated = updated,
         .fields = {codigo(), nome()},
         .indexes = {{.name = u"PrimaryKey"}}},
        {.name = u"Escondida", .attributes = 1, .date_created = created, .last_updated = created},
        {.name = u"Pedidos", .date_created = {41648.0}, .last_updated = updated},
    };
    return database;
}

TEST_F(Listings, TableSelectorsPickByAttributesAndKeepTheirPositionsAsIds) {
    use(tables_of_every_kind());
    const std::u16string msys =
        u"id=0;name=MSysObjects;date_created=01/09/2014 10:11:12;last_updated=01/09/2014 10:15:40;fields=0;"
        u"indexes=0;attributes=-2147483646";
    const std::u16string clientes =
        u"id=1;name=Clientes;date_created=01/09/2014 10:11:12;last_updated=01/09/2014 10:15:40;fields=2;"
        u"indexes=1;attributes=0";
    const std::u16string escondida =
        u"id=2;name=Escondida;date_created=01/09/2014 10:11:12;last_updated=01/09/2014 10:11:12;fields=0;"
        u"indexes=0;attributes=1";
    const std::u16string pedidos =
        u"id=3;name=Pedidos;date_created=01/09/2014;last_updated=01/09/2014 10:15:40;fields=0;indexes=0;"
        u"attributes=0";
    struct Case {
        std::u16string selector;
        std::u16string listing;
    };
    const Case cases[] = {
        {u"tab", clientes + u"|" + pedidos},
        {u"sys", msys + u"|" + escondida},
        {u"", msys + u"|" + clientes + u"|" + escondida + u"|" + pedidos},
        {u"TAB", u""},
        {u"Sys", u""},
        {u" tab", u""},
        {u"tab ", u""},
        {u"all", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(request(u"get_tables", c.selector), c.listing) << "selector '" << c.selector.size();
}

TEST_F(Listings, EmptySeparatorsRunKeysAndValuesTogetherAndSeparatorsInNamesStayUnchanged) {
    MemoryDatabase database;
    database.tables = {{.name = u"a;b=c|d", .date_created = {1.0}, .last_updated = {1.0}},
                       {.name = u"T2", .date_created = {1.0}, .last_updated = {1.0}}};
    database.queries = {{.name = u"q|1", .date_created = {1.0}, .last_updated = {1.0}}};
    use(database);
    separators_[0] = separators_[1] = separators_[2] = u"";
    EXPECT_EQ(request(u"get_tables", u""),
              u"id0namea;b=c|ddate_created12/31/1899last_updated12/31/1899fields0indexes0attributes0"
              u"id1nameT2date_created12/31/1899last_updated12/31/1899fields0indexes0attributes0");
    separators_[0] = u"|";
    separators_[1] = u";";
    separators_[2] = u"=";
    EXPECT_EQ(request(u"get_querys"),
              u"id=0;name=q|1;date_created=12/31/1899;last_updated=12/31/1899;fields=0");
}

TEST_F(Listings, FieldRecordsCarryAllTwelveItemsJoinedBySeparatorOne) {
    MemoryDatabase database;
    database.tables = {{.name = u"Clientes", .fields = {codigo(), nome(), codigo()}}};
    use(database);
    EXPECT_EQ(request(u"get_fields", u"Clientes"), std::u16string(codigo_record) + u"|" +
                                                       std::u16string(nome_record) + u"|" +
                                                       std::u16string(codigo_record));
}

TEST_F(Listings, FieldItemsFollowTheEngineValuesExactly) {
    struct Case {
        const char* fault;
        MemoryField field;
        std::u16string_view expected_part;
    };
    const Case cases[] = {
        {"auto-increment is 17 exactly, not a bit test",
         {.name = u"f", .attributes = 49},
         u"auto_incr_field=N"},
        {"16 alone is no auto-increment", {.name = u"f", .attributes = 16}, u"auto_incr_field=N"},
        {"a property in other letter case does not count",
         {.name = u"f", .properties = {{u"decimalplaces", std::int64_t{2}}}},
         u"decimal=;"},
        {"a later property overwrites an earlier one",
         {.name = u"f",
          .properties = {{u"DecimalPlaces", std::int64_t{2}}, {u"DecimalPlaces", std::int64_t{3}}}},
         u"decimal=3;"},
        {"type 20 is named decimal and keeps its own decimal item",
         {.name = u"f", .type = 20, .properties = {{u"DecimalPlaces", std::int64_t{4}}}},
         u"type=decimal;collating_order=1033;auto_incr_field=N;decimal=4;unicode="},
        {"an unnamed type is written as its code", {.name = u"f", .type = 13}, u"type=13;"},
        {"a null default writes nothing after its key", {.name = u"f"}, u";default_value=;ordinal_position"},
        {"a numeric default is written as VB writes it",
         {.name = u"f", .default_value = 2.5},
         u"default_value=2.5;"},
        {"attributes with the top bit set are negative",
         {.name = u"f", .attributes = static_cast<std::int32_t>(0x80000001u)},
         u"attributes=-2147483647;"},
        {"a false UnicodeCompression is the word False",
         {.name = u"f", .properties = {{u"UnicodeCompression", false}}},
         u"unicode=False"},
    };
    for (const Case& c : cases) {
        MemoryDatabase database;
        database.tables = {{.name = u"T", .fields = {c.field}}};
        use(database);
        const std::u16string listing = request(u"get_fields", u"T");
        EXPECT_NE(listing.find(c.expected_part), std::u16string::npos) << c.fault;
    }
}

// Tables (and queries) whose names tell lookups by position from lookups by name.
MemoryDatabase numbered_names() {
    MemoryDatabase database;
    for (const std::u16string name : {u"2", u"Clientes", u"Pedidos", u" Lead", u"00"}) {
        database.tables.push_back(
            {.name = name, .fields = {{.name = u"of " + name}}, .indexes = {{.name = u"ix " + name}}});
        database.queries.push_back({.name = name, .fields = {{.name = u"of " + name}}});
    }
    return database;
}

TEST_F(Listings, LookupsTakeTheFirstPositionOrExactNameThatMatches) {
    use(numbered_names());
    struct Case {
        std::u16string wanted;
        std::u16string found;  // the name of the table found; empty when none
    };
    const Case cases[] = {
        {u"0", u"2"},        {u" 0 ", u"2"},  // spaces are trimmed for the position test
        {u"00", u"00"},                       // no position; only the table of exactly that name
        {u"+0", u""},        {u"2", u"2"},    // the table named 2 at position 0 comes before position 2
        {u"3", u" Lead"},    {u"Clientes", u"Clientes"},
        {u"clientes", u""},                         // names are compared case-sensitively
        {u"Clientes ", u""}, {u" Lead", u" Lead"},  // a name with a leading blank matches only itself
        {u"Lead", u""},      {u"\t1", u""},         // only U+0020 is trimmed
        {u"", u""},          {u"5", u""},
    };
    for (const Case& c : cases) {
        const std::u16string fields = request(u"get_fields", c.wanted);
        const std::u16string indexes = request(u"get_indexes", c.wanted);
        const std::u16string query_fields = request(u"get_fields_query", c.wanted);
        if (c.found.empty()) {
            EXPECT_EQ(fields, u"Tabela não encotrada !");
            EXPECT_EQ(indexes, u"Tabela não encotrada !");
            EXPECT_EQ(query_fields, u"Query não encotrada !");
        } else {
            EXPECT_EQ(fields.substr(0, 8 + c.found.size()), u"name=of " + c.found);
            EXPECT_EQ(indexes.substr(0, 8 + c.found.size()), u"name=ix " + c.found);
            EXPECT_EQ(query_fields.substr(0, 8 + c.found.size()), u"name=of " + c.found);
        }
    }
}

TEST_F(Listings, EmptyCollectionsGiveTheNotFoundTextsAndEmptyTablesGiveEmptyText) {
    use(MemoryDatabase{});
    EXPECT_EQ(request(u"get_fields", u"0"), u"Tabela não encotrada !");
    EXPECT_EQ(request(u"get_indexes", u"0"), u"Tabela não encotrada !");
    EXPECT_EQ(request(u"get_fields_query", u"0"), u"Query não encotrada !");
    EXPECT_EQ(request(u"get_tables", u""), u"");
    EXPECT_EQ(request(u"get_querys"), u"");
    EXPECT_EQ(request(u"get_relations"), u"");

    MemoryDatabase bare;
    bare.tables = {{.name = u"Vazia"}};
    bare.queries = {{.name = u"Acao"}};
    use(bare);
    EXPECT_EQ(request(u"get_fields", u"Vazia"), u"");
    EXPECT_EQ(request(u"get_indexes", u"Vazia"), u"");
    EXPECT_EQ(request(u"get_fields_query", u"Acao"), u"");
}

TEST_F(Listings, IndexRecordsWriteEightItemsInTheirOrder) {
    MemoryDatabase database;
    database.tables = {
        {.name = u"Clientes",
         .indexes = {
             {.name = u"PrimaryKey", .fields = u"+Codigo", .primary = true, .unique = true, .required = true},
             {.name = u"Nome", .fields = u"-Nome;+Loja", .clustered = true, .ignore_nulls = true},
             {.name = u"FK", .foreign = true}}}};
    use(database);
    EXPECT_EQ(request(u"get_indexes", u"Clientes"),
              u"name=PrimaryKey;clustered=False;fields=+Codigo;foreign=False;ignore_nulls=False;primary=True;"
              u"required=True;unique=True|"
              u"name=Nome;clustered=True;fields=-Nome;+Loja;foreign=False;ignore_nulls=True;primary=False;"
              u"required=False;unique=False|"
              u"name=FK;clustered=False;fields=;foreign=True;ignore_nulls=False;primary=False;required=False;"
              u"unique=False");
}

TEST_F(Listings, RelationRecordsNestTheirFieldPairsWithSeparatorsFourToSix) {
    MemoryDatabase database;
    database.relations = {
        {.name = u"ClientesPedidos",
         .table = u"Clientes",
         .foreign_table = u"Pedidos",
         .fields = {{.name = u"Codigo", .foreign_name = u"CodCliente"},
                    {.name = u"Loja", .foreign_name = u"CodLoja"}}},
        {.name = u"Um",
         .table = u"A",
         .foreign_table = u"B",
         .attributes = static_cast<std::int32_t>(0x80000000u),
         .fields = {{.name = u"x", .foreign_name = u"y"}}},
        {.name = u"Nenhum", .table = u"A", .foreign_table = u"C", .attributes = 2},
    };
    use(database);
    EXPECT_EQ(request(u"get_relations"),
              u"name=ClientesPedidos;table=Clientes;foreign_table=Pedidos;attributes=0;"
              u"fields=name:Codigo&foreign_name:CodCliente,name:Loja&foreign_name:CodLoja|"
              u"name=Um;table=A;foreign_table=B;attributes=-2147483648;fields=name:x&foreign_name:y|"
              u"name=Nenhum;table=A;foreign_table=C;attributes=2;fields=");
}

TEST_F(Listings, QueryRecordsListEveryQueryWithItsPosition) {
    MemoryDatabase database;
    database.queries = {
        {.name = u"Consulta", .date_created = created, .last_updated = updated, .fields = {codigo(), nome()}},
        {.name = u"~sq_cForm", .date_created = {0.75}, .last_updated = {0.0}}};
    use(database);
    EXPECT_EQ(
        request(u"get_querys"),
        u"id=0;name=Consulta;date_created=01/09/2014 10:11:12;last_updated=01/09/2014 10:15:40;fields=2|"
        u"id=1;name=~sq_cForm;date_created=18:00:00;last_updated=00:00:00;fields=0");
    EXPECT_EQ(request(u"get_fields_query", u"Consulta"),
              std::u16string(codigo_record) + u"|" + std::u16string(nome_record));
}

TEST_F(Listings, EveryListingWithoutADatabaseEndsInError91) {
    test::TempFolder config;
    const test::OdbcConfigScope scope(config.path());
    data_source_ = u"listings_unknown_dsn";
    for (const std::u16string_view word : {u"get_tables", u"get_fields", u"get_indexes", u"get_relations",
                                           u"get_querys", u"get_fields_query"}) {
        EXPECT_EQ(request(word, u"0"), u"Erro: 91 - Object variable or With block variable not set\r\n")
            << word.size();
    }
}

TEST_F(Listings, AnEngineFailureEndsTheListingWithTheEngineErrorAndNoPartialText) {
    MemoryDatabase database;
    MemoryField damaged = nome();
    damaged.damaged = true;
    database.tables = {{.name = u"Boa"}, {.name = u"Ruim", .fields = {codigo(), damaged}, .damaged = true}};
    use(database);
    const std::u16string damaged_line = u"Erro: 3049 - Cannot open database 'memory'. It may be damaged.\r\n";
    EXPECT_EQ(request(u"get_fields", u"Ruim"), damaged_line);
    EXPECT_EQ(request(u"get_tables", u""), damaged_line);
}

}  // namespace
}  // namespace qz

// The six listings over the in-memory engine: record forms, separators, lookups and failures.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "support/memory_engine.hpp"

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

    // A session connected to `database` with the separators | ; = , & :
    qz_cls_odbc_access& open(MemoryDatabase database, std::u16string sep1 = u"|", std::u16string sep2 = u";",
                             std::u16string sep3 = u"=") {
        engine_->files[u"db.mdb"] = std::move(database);
        session_.connect(u"db.mdb", u"", u"", sep1, sep2, sep3, u",", u"&", u":");
        return session_;
    }

    std::shared_ptr<test::MemoryEngine> engine_ = std::make_shared<test::MemoryEngine>();
    qz_cls_odbc_access session_{engine_};
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
    qz_cls_odbc_access& session = open(tables_of_every_kind());
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
        EXPECT_EQ(session.get_tables(c.selector), c.listing) << "selector '" << c.selector.size();
    EXPECT_EQ(session.get_tables(), clientes + u"|" + pedidos) << "the default selector is tab";
}

TEST_F(Listings, EmptySeparatorsRunKeysAndValuesTogetherAndSeparatorsInNamesStayUnchanged) {
    MemoryDatabase database;
    database.tables = {{.name = u"a;b=c|d", .date_created = {1.0}, .last_updated = {1.0}},
                       {.name = u"T2", .date_created = {1.0}, .last_updated = {1.0}}};
    database.queries = {{.name = u"q|1", .date_created = {1.0}, .last_updated = {1.0}}};
    qz_cls_odbc_access& session = open(database, u"", u"", u"");
    EXPECT_EQ(session.get_tables(u""),
              u"id0namea;b=c|ddate_created12/31/1899last_updated12/31/1899fields0indexes0attributes0"
              u"id1nameT2date_created12/31/1899last_updated12/31/1899fields0indexes0attributes0");
    session.strSep1 = u"|";
    session.strSep2 = u";";
    session.strSep3 = u"=";
    EXPECT_EQ(session.get_querys(),
              u"id=0;name=q|1;date_created=12/31/1899;last_updated=12/31/1899;fields=0");
}

TEST_F(Listings, FieldRecordsCarryAllTwelveItemsJoinedBySeparatorOne) {
    MemoryDatabase database;
    database.tables = {{.name = u"Clientes", .fields = {codigo(), nome(), codigo()}}};
    qz_cls_odbc_access& session = open(database);
    EXPECT_EQ(session.get_fields(u"Clientes", u"/nowhere/out.txt"), std::u16string(codigo_record) + u"|" +
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
        engine_->files[u"db.mdb"] = database;
        session_.connect(u"db.mdb", u"", u"", u"|", u";", u"=");
        const std::u16string listing = session_.get_fields(u"T", u"");
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
    qz_cls_odbc_access& session = open(numbered_names());
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
        const std::u16string fields = session.get_fields(c.wanted, u"");
        const std::u16string indexes = session.get_indexes(c.wanted);
        const std::u16string query_fields = session.get_fields_query(c.wanted);
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
    qz_cls_odbc_access& session = open(MemoryDatabase{});
    EXPECT_EQ(session.get_fields(u"0", u""), u"Tabela não encotrada !");
    EXPECT_EQ(session.get_indexes(u"0"), u"Tabela não encotrada !");
    EXPECT_EQ(session.get_fields_query(u"0"), u"Query não encotrada !");
    EXPECT_EQ(session.get_tables(u""), u"");
    EXPECT_EQ(session.get_querys(), u"");
    EXPECT_EQ(session.get_relations(), u"");

    MemoryDatabase bare;
    bare.tables = {{.name = u"Vazia"}};
    bare.queries = {{.name = u"Acao"}};
    open(bare);
    EXPECT_EQ(session.get_fields(u"Vazia", u""), u"");
    EXPECT_EQ(session.get_indexes(u"Vazia"), u"");
    EXPECT_EQ(session.get_fields_query(u"Acao"), u"");
}

TEST_F(Listings, IndexRecordsWriteEightItemsInTheirOrder) {
    MemoryDatabase database;
    database.tables = {
        {.name = u"Clientes",
         .indexes = {
             {.name = u"PrimaryKey", .fields = u"+Codigo", .primary = true, .unique = true, .required = true},
             {.name = u"Nome", .fields = u"-Nome;+Loja", .clustered = true, .ignore_nulls = true},
             {.name = u"FK", .foreign = true}}}};
    qz_cls_odbc_access& session = open(database);
    EXPECT_EQ(session.get_indexes(u"Clientes"),
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
    qz_cls_odbc_access& session = open(database);
    EXPECT_EQ(session.get_relations(),
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
    qz_cls_odbc_access& session = open(database);
    EXPECT_EQ(
        session.get_querys(),
        u"id=0;name=Consulta;date_created=01/09/2014 10:11:12;last_updated=01/09/2014 10:15:40;fields=2|"
        u"id=1;name=~sq_cForm;date_created=18:00:00;last_updated=00:00:00;fields=0");
    EXPECT_EQ(session.get_fields_query(u"Consulta"),
              std::u16string(codigo_record) + u"|" + std::u16string(nome_record));
}

TEST_F(Listings, EveryListingWithoutADatabaseRaisesError91) {
    const std::function<void(qz_cls_odbc_access&)> listings[] = {
        [](qz_cls_odbc_access& s) { s.get_tables(u""); },
        [](qz_cls_odbc_access& s) { s.get_fields(u"0", u""); },
        [](qz_cls_odbc_access& s) { s.get_indexes(u"0"); },
        [](qz_cls_odbc_access& s) { s.get_relations(); },
        [](qz_cls_odbc_access& s) { s.get_querys(); },
        [](qz_cls_odbc_access& s) { s.get_fields_query(u"0"); },
    };
    for (const auto& listing : listings) {
        try {
            listing(session_);
            ADD_FAILURE() << "a listing without a database returned";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::object_not_set);
            EXPECT_EQ(error.description(), u"Object variable or With block variable not set");
        }
    }
}

TEST_F(Listings, AnEngineFailureEndsTheListingWithTheEngineError) {
    MemoryDatabase database;
    MemoryField damaged = nome();
    damaged.damaged = true;
    database.tables = {{.name = u"Boa"}, {.name = u"Ruim", .fields = {codigo(), damaged}, .damaged = true}};
    qz_cls_odbc_access& session = open(database);
    for (const auto& listing : {std::function<void()>([&] { session.get_fields(u"Ruim", u""); }),
                                std::function<void()>([&] { session.get_tables(u""); })}) {
        try {
            listing();
            ADD_FAILURE() << "a damaged catalog gave a listing";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), error_number::database_damaged);
        }
    }
}

}  // namespace
}  // namespace qz

// The reader behind the engine interface, run on files the project's writer makes: each test writes exactly
// the schema it checks, so the reader is tested on real file bytes in every format without the fixtures.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/reader/records/index_leaf_walk.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "reader/fixture_file.hpp"
#include "support/written_database.hpp"

namespace qz::jet {
namespace {

using test::column;
using test::WrittenDatabase;
using writer::ColumnType;
using writer::Format;

std::string utf8(const std::u16string& text) { return text::utf16_to_utf8(text); }

std::shared_ptr<engine::Database> open(const std::filesystem::path& file, const std::u16string& password = u"") {
    return AccessFileEngine().OpenDatabase(file.u16string(), false, true, u";pwd=" + password);
}

std::unique_ptr<engine::TableDef> table_named(const engine::Database& database, std::u16string_view name) {
    const auto tables = database.TableDefs();
    for (std::int16_t i = 0; i < tables->Count(); ++i) {
        if (auto table = tables->Item(i); table->Name() == name) return table;
    }
    return nullptr;
}

// The names of the tables the schema wrote, leaving out the engine's own system tables.
std::vector<std::string> table_names(const engine::Database& database) {
    std::vector<std::string> names;
    const auto tables = database.TableDefs();
    for (std::int16_t i = 0; i < tables->Count(); ++i) {
        const std::string name = utf8(tables->Item(i)->Name());
        if (name.rfind("MSys", 0) != 0) names.push_back(name);
    }
    return names;
}

class WrittenCatalog : public ::testing::TestWithParam<Format> {};

// Each column type with the DAO type and attributes the engine reports for it (fixed 1, variable 2,
// auto-increment 16, hyperlink 32768), and each kind of index.
TEST_P(WrittenCatalog, ListsTablesInNameOrderWithTheirFieldsAndIndexes) {
    struct Expected {
        writer::Column column;
        int type;
        int attributes;
        int size;
    };
    writer::Column id = column(u"Id", ColumnType::long_integer);
    id.auto_number = true;
    writer::Column code = column(u"Code", ColumnType::text, 10);
    code.fixed_length = true;
    writer::Column link = column(u"Link", ColumnType::memo);
    link.hyperlink = true;
    std::vector<Expected> expected{
        {id, 4, 17, 4},
        {column(u"Flag", ColumnType::boolean), 1, 1, 1},
        {column(u"Small", ColumnType::byte), 2, 1, 1},
        {column(u"Count", ColumnType::integer), 3, 1, 2},
        {column(u"Price", ColumnType::currency), 5, 1, 8},
        {column(u"Ratio", ColumnType::single), 6, 1, 4},
        {column(u"Measure", ColumnType::double_float), 7, 1, 8},
        {column(u"When", ColumnType::date_time), 8, 1, 8},
        {column(u"Bytes", ColumnType::binary, 16), 9, 2, 16},
        {column(u"Name", ColumnType::text, 50), 10, 2, 50},
        {code, 10, 1, 10},
        {column(u"Picture", ColumnType::ole), 11, 2, 0},
        {link, 12, 32770, 0},
        {column(u"Row guid", ColumnType::guid), 15, 1, 16},
    };
    if (GetParam() != Format::jet3) expected.push_back({column(u"Amount", ColumnType::decimal), 20, 1, 16});
    writer::Table items{u"items", {}};
    for (const Expected& e : expected) items.columns.push_back(e.column);
    items.indexes = {{u"PrimaryKey", {{u"Id"}}, true, true, false, true},
                     {u"ByCountDown", {{u"Count", true}, {u"Small"}}, false, true, false, false},
                     {u"Name", {{u"Name"}}, false, false, true, false}};
    const WrittenDatabase file(test::schema_of(
        GetParam(), {{u"Zebra", {column(u"A", ColumnType::long_integer)}}, items,
                     {u"Mid", {column(u"A", ColumnType::long_integer)}}}));
    const auto database = open(file.path());
    // Listed in the catalog's name order, where letter case does not count.
    EXPECT_EQ(table_names(*database), (std::vector<std::string>{"items", "Mid", "Zebra"}));

    const auto fields = table_named(*database, u"items")->Fields();
    ASSERT_EQ(fields->Count(), static_cast<std::int16_t>(expected.size()));
    for (std::int16_t i = 0; i < fields->Count(); ++i) {
        const auto field = fields->Item(i);
        const Expected& e = expected[static_cast<std::size_t>(i)];
        SCOPED_TRACE(utf8(e.column.name));
        EXPECT_EQ(field->Name(), e.column.name);
        EXPECT_EQ(field->Type(), e.type);
        EXPECT_EQ(field->Attributes(), e.attributes);
        EXPECT_EQ(field->OrdinalPosition(), i);
        if (e.size != 0) {
            EXPECT_EQ(field->Size(), e.size);
        }
    }
    const auto indexes = table_named(*database, u"items")->Indexes();
    std::vector<std::string> got;
    for (std::int16_t i = 0; i < indexes->Count(); ++i) {
        const auto index = indexes->Item(i);
        got.push_back(utf8(index->Name()) + " " + utf8(index->Fields()) + (index->Primary() ? " primary" : "") +
                      (index->Unique() ? " unique" : "") + (index->Required() ? " required" : "") +
                      (index->IgnoreNulls() ? " ignore-nulls" : ""));
    }
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"ByCountDown -Count;+Small unique", "Name +Name ignore-nulls",
                                             "PrimaryKey +Id primary unique required"}));
}

// Field and table properties come from the property blobs: text, numbers and Booleans each in their type.
TEST_P(WrittenCatalog, FieldPropertiesCarryTheirStoredValues) {
    writer::Column price = column(u"Price", ColumnType::currency);
    price.properties = {writer::Property::text(u"Description", u"Price in euros"),
                        writer::Property::text(u"Format", u"Currency"), writer::Property::byte(u"DecimalPlaces", 2)};
    writer::Column name = column(u"Name", ColumnType::text, 30);
    name.properties = {writer::Property::memo(u"DefaultValue", u"\"none\"")};
    const WrittenDatabase file(test::schema_of(GetParam(), {{u"Prices", {price, name}}}));
    const auto fields = table_named(*open(file.path()), u"Prices")->Fields();
    std::map<std::u16string, engine::Variant> found;
    const auto properties = fields->Item(0)->Properties();
    for (std::int16_t i = 0; i < properties->Count(); ++i) found[properties->Item(i)->Name()] = properties->Item(i)->Value();
    EXPECT_EQ(found[u"Description"], engine::Variant(std::u16string(u"Price in euros")));
    EXPECT_EQ(found[u"Format"], engine::Variant(std::u16string(u"Currency")));
    EXPECT_EQ(found[u"DecimalPlaces"], engine::Variant(std::int64_t{2}));
    EXPECT_EQ(fields->Item(1)->DefaultValue(), engine::Variant(std::u16string(u"\"none\"")));
}

// Relations name both tables, their attributes, and the field pairs in the order they were written.
TEST_P(WrittenCatalog, RelationsComeWithTheirFieldPairsInColumnOrder) {
    writer::Schema schema = test::schema_of(
        GetParam(), {{u"Orders", {column(u"Year", ColumnType::integer), column(u"Number", ColumnType::long_integer)},
                      {{u"PrimaryKey", {{u"Year"}, {u"Number"}}, true, true, false, true}}},
                     {u"Lines", {column(u"OrderNumber", ColumnType::long_integer), column(u"OrderYear", ColumnType::integer)}}});
    schema.relationships = {
        {u"OrdersLines", u"Orders", u"Lines", {{u"Year", u"OrderYear"}, {u"Number", u"OrderNumber"}}, 0x00001100},
        {u"Loose", u"Orders", u"Lines", {{u"Number", u"OrderNumber"}}, 0x00000002}};
    const WrittenDatabase file(schema);
    const auto relations = open(file.path())->Relations();
    std::vector<std::string> got;
    for (std::int16_t i = 0; i < relations->Count(); ++i) {
        const auto r = relations->Item(i);
        std::string text = utf8(r->Name()) + " " + utf8(r->Table()) + " -> " + utf8(r->ForeignTable()) + " " +
                           std::to_string(r->Attributes());
        const auto fields = r->Fields();
        for (std::int16_t f = 0; f < fields->Count(); ++f)
            text += " " + utf8(fields->Item(f)->Name()) + "=" + utf8(fields->Item(f)->ForeignName());
        got.push_back(text);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"Loose Orders -> Lines 2 Number=OrderNumber",
                                             "OrdersLines Orders -> Lines 4352 Year=OrderYear Number=OrderNumber"}));
}

// Names in any script arrive intact: the code page in Jet 3, UTF-16 (compressed or not) after it.
TEST_P(WrittenCatalog, AccentsCjkAndEmojiInNamesArriveIntact) {
    std::vector<std::u16string> tables{u"Ação", u" Leading Space", u"Trailing "};
    std::vector<std::u16string> columns{u"Código", u"Descrição"};
    if (GetParam() != Format::jet3) {
        tables.insert(tables.end(), {u"表格", u"テーブル", u"😀 Emoji"});
        columns.insert(columns.end(), {u"名前", u"🔑"});
    }
    writer::Schema schema;
    schema.format = GetParam();
    for (const auto& name : tables) schema.tables.push_back({name, {column(u"A", ColumnType::long_integer)}});
    writer::Table odd{u"OddColumns", {}};
    for (const auto& name : columns) odd.columns.push_back(column(name, ColumnType::text, 20));
    schema.tables.push_back(odd);
    const WrittenDatabase file(schema);
    const auto database = open(file.path());
    const auto names = table_names(*database);
    for (const auto& name : tables) EXPECT_EQ(std::count(names.begin(), names.end(), utf8(name)), 1) << utf8(name);
    const auto fields = table_named(*database, u"OddColumns")->Fields();
    std::vector<std::u16string> field_names;
    for (std::int16_t i = 0; i < fields->Count(); ++i) field_names.push_back(fields->Item(i)->Name());
    EXPECT_EQ(field_names, columns);
}

// A linked Access table is described by its source file; a missing source gives 3024. An ODBC link is
// described by the definition the database keeps.
TEST_P(WrittenCatalog, LinkedTablesAreReadFromTheirSourceAndAMissingSourceGives3024) {
    const WrittenDatabase source(test::schema_of(
        GetParam(), {{u"Customers", {column(u"id", ColumnType::long_integer), column(u"name", ColumnType::text, 40),
                                     column(u"since", ColumnType::date_time)}}}),
                                 "source");
    writer::Schema schema = test::schema_of(GetParam(), {});
    schema.linked_tables = {{u"LinkedCustomers", u"CUSTOMERS", source.path().u16string()},  // found whatever the letter case
                            {u"LinkedMissing", u"Customers", u"/nonexistent/source.mdb"},
                            {u"Odbc orders", u"dbo.orders", u"", u"DSN=shop;DATABASE=shop",
                             {column(u"Number", ColumnType::long_integer), column(u"Customer", ColumnType::text, 40)}}};
    const WrittenDatabase file(schema);
    const auto database = open(file.path());
    const auto linked = table_named(*database, u"LinkedCustomers");
    ASSERT_NE(linked, nullptr);
    EXPECT_EQ(linked->Attributes(), 0x40000000);
    const auto fields = linked->Fields();
    ASSERT_EQ(fields->Count(), 3);
    EXPECT_EQ(fields->Item(1)->Name(), u"name");
    try {
        table_named(*database, u"LinkedMissing")->Fields();
        ADD_FAILURE() << "a link to a missing file was read";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), error_number::file_not_found);
    }
    const auto odbc = table_named(*database, u"Odbc orders");
    ASSERT_NE(odbc, nullptr);
    ASSERT_EQ(odbc->Fields()->Count(), 2);
    EXPECT_EQ(odbc->Fields()->Item(1)->Name(), u"Customer");
}

// Saved queries of each kind resolve against the tables: a select to its columns, a union to its first
// part's, a data-definition query to none; one on a missing table fails with 3078 naming the table.
TEST_P(WrittenCatalog, SavedQueriesResolveTheirFieldsAndAMissingTableGives3078) {
    writer::Schema schema = test::schema_of(
        GetParam(), {{u"Items", {column(u"Id", ColumnType::long_integer), column(u"Price", ColumnType::currency),
                                 column(u"Label", ColumnType::text, 20)}}});
    const writer::Query both{u"Both",
                             0x80,
                             {{1, 9, {}, {}, {}},
                              {3, 3, {}, {}, {}},
                              {5, {}, {}, u"X7YZ_____1", u"SELECT [Label] FROM [Items]"},
                              {5, {}, {}, u"X7YZ_____2", u"SELECT [Label] FROM [Items]"}}};
    const writer::Query make{u"Make table", 0x60, {{1, 7, {}, {}, u"CREATE TABLE [New] ([A] LONG)"}}};
    schema.queries = {
        writer::Query::select(u"Cheap", {u"Items"}, {u"[Items].[Id]", u"[Items].[Price]"}, u"[Price] < 10"),
        writer::Query::select(u"Lost", {u"Kunder"}, {u"[Kunder].[Id]"}), both, make};
    const WrittenDatabase file(schema);
    const auto queries = open(file.path())->QueryDefs();
    std::vector<std::string> got;
    for (std::int16_t i = 0; i < queries->Count(); ++i) {
        const auto query = queries->Item(i);
        std::string text = utf8(query->Name()) + ":";
        try {
            const auto fields = query->Fields();
            for (std::int16_t f = 0; f < fields->Count(); ++f)
                text += " " + utf8(fields->Item(f)->Name()) + "/" + std::to_string(fields->Item(f)->Type());
        } catch (const Error& e) {
            text += " error " + std::to_string(e.number()) +
                    (e.description().find(u"'Kunder'") != std::u16string::npos ? " naming the table" : "");
        }
        got.push_back(text);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"Both: Label/10", "Cheap: Id/4 Price/5",
                                             "Lost: error 3078 naming the table", "Make table:"}));
}

// The walk of the catalog's name index meets each live catalog row once, also when the index has a level
// above its leaves.
TEST_P(WrittenCatalog, CatalogIndexWalkNamesEachCatalogRowOnce) {
    writer::Schema schema = test::schema_of(GetParam(), {});
    for (int i = 0; i < 300; ++i)
        schema.tables.push_back({u"Table " + text::utf8_to_utf16(std::to_string(1000 + i)), {column(u"A", ColumnType::long_integer)}});
    const WrittenDatabase written(schema);
    const test::FixtureFile file(written.path());
    std::vector<RowAddress> walked =
        walk_index_leaves(file.source(), file.parent_id_name_root(), file.jet3(), file.path(), file.page_count());
    std::vector<RowAddress> slots = file.msysobjects_slots();
    const auto by_place = [](const RowAddress& a, const RowAddress& b) {
        return std::pair(a.page, a.row) < std::pair(b.page, b.row);
    };
    std::sort(walked.begin(), walked.end(), by_place);
    std::sort(slots.begin(), slots.end(), by_place);
    EXPECT_GT(walked.size(), 300u);
    EXPECT_TRUE(std::equal(walked.begin(), walked.end(), slots.begin(), slots.end(),
                           [](const RowAddress& a, const RowAddress& b) { return a.page == b.page && a.row == b.row; }));
    // Listing the tables reads the catalog and its index, not one page per table.
    const auto catalog = Catalog::open(written.path().u16string(), u"");
    const auto tables = catalog->tables();
    EXPECT_EQ(std::count_if(tables.begin(), tables.end(), [](const CatalogObject* t) { return t->flags == 0; }), 300);
    EXPECT_LT(catalog->file().pages_read(), catalog->file().page_count() / 4)
        << catalog->file().pages_read() << " of " << catalog->file().page_count() << " pages read";
}

std::string format_name(const ::testing::TestParamInfo<Format>& format) {
    static constexpr const char* names[] = {"Jet3", "Jet4", "Ace12", "Ace14"};
    return names[static_cast<int>(format.param)];
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenCatalog,
                         ::testing::Values(Format::jet3, Format::jet4, Format::ace12, Format::ace14), format_name);

// Protected Jet files open with their password only, and list what was written.
TEST(WrittenProtectedFile, OpensWithItsPasswordAndRefusesOthersWith3031) {
    for (const Format format : {Format::jet3, Format::jet4}) {
        for (const std::uint32_t key : {0u, 0x5EED1234u}) {
            writer::Schema schema = test::schema_of(format, {{u"Secrets", {column(u"A", ColumnType::long_integer)}}});
            schema.password = u"Sesame";
            schema.encoding_key = key;
            const WrittenDatabase file(schema);
            SCOPED_TRACE(std::to_string(static_cast<int>(format)) + " key " + std::to_string(key));
            EXPECT_EQ(table_names(*open(file.path(), u"Sesame")), std::vector<std::string>{"Secrets"});
            for (const std::u16string wrong : {u"", u"sesame", u"Sesam"}) {
                try {
                    open(file.path(), wrong)->TableDefs();
                    ADD_FAILURE() << "opened with a wrong password";
                } catch (const Error& e) {
                    EXPECT_EQ(e.number(), 3031);
                }
            }
        }
    }
}

}  // namespace
}  // namespace qz::jet

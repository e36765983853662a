// What the random schemas of the property test leave out, on one rich schema per format: linked tables,
// queries of each kind, complex columns, hidden and system tables, relations of two field pairs, and catalogs
// large enough for an index of two levels. The project's reader lists exactly what was written, and
// Debian's mdbtools reads the tables and queries.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "support/written_database.hpp"
#include "tests/writer/command_output.hpp"

namespace qz::writer {
namespace {

using Names = std::vector<std::string>;

std::string utf8(const std::u16string& s) { return text::utf16_to_utf8(s); }

Schema rich_schema(Format format, int extra_tables) {
    Column plain = column(u"Plain", ColumnType::text, 50);
    plain.unicode_compression = false;
    Table items{u"Items",
                {column(u"Id", ColumnType::long_integer), column(u"Count", ColumnType::integer),
                 column(u"Small", ColumnType::byte), column(u"Price", ColumnType::currency),
                 column(u"Code", ColumnType::text, 10), plain},
                {{u"PrimaryKey", {{u"Id"}}, true, true, false, true},
                 {u"ByCountDown", {{u"Count", true}, {u"Small"}}, false, true, false, false},
                 {u"Plain", {{u"Plain"}}, false, false, true, false}}};
    Table hidden{u"Hidden one", {column(u"A", ColumnType::long_integer)}};
    hidden.hidden = true;
    Table system{u"USysSettings", {column(u"Key", ColumnType::text, 20)}};
    system.system = true;
    Schema s = test::schema_of(
        format,
        {items,
         {u"Order lines", {column(u"Item", ColumnType::long_integer), column(u"Qty", ColumnType::integer)}},
         hidden,
         system});
    if (format == Format::ace12 || format == Format::ace14) {
        Column files = column(u"Files", ColumnType::ole), tags = column(u"Tags", ColumnType::text, 30),
               scores = column(u"Scores", ColumnType::long_integer);
        files.complex = ComplexKind::attachment;
        tags.complex = scores.complex = ComplexKind::multi_value;
        Table complex{u"Complex", {column(u"Id", ColumnType::long_integer), files, tags, scores}};
        if (format == Format::ace14) {
            complex.columns.push_back(column(u"Twice", ColumnType::double_float));
            complex.columns.back().expression = u"[Id]*2";
        }
        s.tables.push_back(complex);
    }
    for (int i = 0; i < extra_tables; ++i)
        s.tables.push_back({u"Extra " + std::u16string{static_cast<char16_t>(u'A' + i / 26),
                                                       static_cast<char16_t>(u'a' + i % 26)},
                            {column(u"V", ColumnType::long_integer)}});
    // One table linked from a file beside this one (found there when its stored path does not exist), one
    // linked through ODBC with its kept definition.
    s.linked_tables = {
        {u"Linked stock", u"Stock", u"C:\\absent\\source.mdb"},
        {u"Odbc orders",
         u"dbo.orders",
         u"",
         u"DSN=shop;DATABASE=shop",
         {column(u"Number", ColumnType::long_integer), column(u"Customer", ColumnType::text, 40)}}};
    s.relationships = {
        {u"ItemsLines", u"Items", u"Order lines", {{u"Id", u"Item"}}, 0x00001100},
        {u"Loose", u"Items", u"Order lines", {{u"Count", u"Qty"}, {u"Id", u"Item"}}, 0x00000002}};
    Query by_count = Query::select(u"Items by count", {u"Items"}, {u"[Items].[Count]"}, u"[Count] > [Least]");
    by_count.rows.push_back({2, 3, u"Least", {}, {}});  // an Integer parameter
    const Query both{u"Both names",
                     0x80,  // union: its parts as SQL text under two marker rows
                     {{1, 9, {}, {}, {}},
                      {3, 3, {}, {}, {}},
                      {5, {}, {}, u"X7YZ_____1", u"SELECT [Plain] FROM [Items]"},
                      {5, {}, {}, u"X7YZ_____2", u"SELECT [Code] FROM [Items]"}}};
    Query form_source = Query::select(u"~sq_fItems", {u"Items"}, {u"[Items].[Id]"});
    form_source.flags = 0x03;
    s.queries = {
        Query::select(u"Cheap items", {u"Items"}, {u"[Items].[Id]", u"[Items].[Price]"}, u"[Price] < 10"),
        by_count,
        both,
        {u"Make table", 0x60, {{1, 7, {}, {}, u"CREATE TABLE [New] ([A] LONG)"}}},
        form_source};
    return s;
}

// The values of `key` in a listing of records joined by "\n", items by "|", key=value by "=".
Names values_of(const std::u16string& listing, const std::string& key) {
    Names out;
    const std::string text = "\n" + utf8(listing);
    for (std::size_t at = 0; (at = text.find(key + "=", at)) != std::string::npos; ++at) {
        if (text[at - 1] != '|' && text[at - 1] != '\n') continue;
        const std::size_t from = at + key.size() + 1;
        out.push_back(text.substr(from, text.find_first_of("|\n", from) - from));
    }
    return out;
}

class RoundTrip : public ::testing::TestWithParam<std::pair<Format, int>> {};

TEST_P(RoundTrip, TheReaderListsExactlyWhatWasWrittenAndMdbtoolsReadsIt) {
    const auto [format, extra_tables] = GetParam();
    const bool ace = format == Format::ace12 || format == Format::ace14;
    const test::WrittenDatabase file(rich_schema(format, extra_tables));
    write_database(
        test::schema_of(
            format,
            {{u"Stock", {column(u"Sku", ColumnType::text, 12), column(u"Level", ColumnType::integer)}}}),
        file.folder() / "source.mdb");
    qz_cls_odbc_access session;
    session.connect(file.path().u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");

    Names tab{"Items", "Order lines"};
    if (ace) tab.insert(tab.begin(), "Complex");
    for (int i = 0; i < extra_tables; ++i)
        tab.insert(tab.end() - 2, {'E', 'x', 't', 'r', 'a', ' ', static_cast<char>('A' + i / 26),
                                   static_cast<char>('a' + i % 26)});
    EXPECT_EQ(values_of(session.get_tables(u"tab"), "name"), tab) << "in the catalog index's order";
    const std::string bytes = test::read_file(file.path());
    const std::size_t page_size = format == Format::jet3 ? 2048 : 4096;
    bool two_levels =
        false;  // an index page above the leaves (0x03) owned by the catalog's definition (page 2)
    for (std::size_t at = 0; at < bytes.size(); at += page_size)
        two_levels |= bytes.compare(at, 2, "\x03\x01") == 0 &&
                      bytes.compare(at + 4, 4, std::string("\x02\0\0\0", 4)) == 0;
    EXPECT_EQ(two_levels, extra_tables > 0);
    Names sys{"Hidden one",  "Linked stock",      "MSysACEs",    "MSysObjects",
              "MSysQueries", "MSysRelationships", "Odbc orders", "USysSettings"};
    if (ace) {  // the complex-column tables every ACE file holds; flat tables of complex columns are left out
        sys.insert(sys.begin() + 3,
                   {"MSysComplexColumns", "MSysComplexType_Attachment", "MSysComplexType_Decimal",
                    "MSysComplexType_GUID", "MSysComplexType_IEEEDouble", "MSysComplexType_IEEESingle",
                    "MSysComplexType_Long", "MSysComplexType_Short", "MSysComplexType_Text",
                    "MSysComplexType_UnsignedByte"});
    }
    EXPECT_EQ(values_of(session.get_tables(u"sys"), "name"), sys);
    Names attributes;
    for (const auto& name : sys)  // hidden, a linked file, a link through ODBC, system
        attributes.push_back(name == "Hidden one"     ? "1"
                             : name == "Linked stock" ? "1073741824"
                             : name == "Odbc orders"  ? "536870912"
                                                      : "-2147483648");
    EXPECT_EQ(values_of(session.get_tables(u"sys"), "attributes"), attributes);

    EXPECT_EQ(values_of(session.get_indexes(u"Items"), "fields"), (Names{"+Id", "-Count;+Small", "+Plain"}));
    EXPECT_EQ(values_of(session.get_indexes(u"Items"), "ignore_nulls"), (Names{"False", "False", "True"}));
    EXPECT_EQ(values_of(session.get_indexes(u"Order lines"), "foreign"), (Names{"True"}));
    EXPECT_EQ(utf8(session.get_relations()),
              "name=ItemsLines|table=Items|foreign_table=Order "
              "lines|attributes=4352|fields=name:Id&foreign_name:Item\n"
              "name=Loose|table=Items|foreign_table=Order "
              "lines|attributes=2|fields=name:Count&foreign_name:Qty,name:Id&foreign_name:Item");
    EXPECT_EQ(values_of(session.get_fields(u"Linked stock", u""), "name"), (Names{"Sku", "Level"}));
    EXPECT_EQ(values_of(session.get_fields(u"Odbc orders", u""), "name"), (Names{"Number", "Customer"}));
    EXPECT_EQ(values_of(session.get_querys(), "name"),
              (Names{"Both names", "Cheap items", "Items by count", "Make table", "~sq_fItems"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Items by count"), "name"), (Names{"Count"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Both names"), "name"), (Names{"Plain"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Make table"), "name"), Names{});
    if (ace) {
        Names types{"long", "attachment", "complex_text", "complex_long"};
        if (format == Format::ace14) types.push_back("double");
        EXPECT_EQ(values_of(session.get_fields(u"Complex", u""), "type"), types);
    }

    if (!mdbtools_installed()) GTEST_SKIP() << "mdbtools is not installed";
    const std::string quoted = "'" + file.path().string() + "'";
    const std::string tables = output_of("mdb-tables -S -1 " + quoted);
    for (const char* name : {"Items\n", "Order lines\n", "USysSettings\n", "Hidden one\n"})
        EXPECT_NE(tables.find(name), std::string::npos) << name;
    EXPECT_EQ(output_of("mdb-queries -L " + quoted),
              "Cheap items Items by count Both names Make table ~sq_fItems \n");
    EXPECT_EQ(output_of("mdb-queries " + quoted + " 'Cheap items'"),
              "SELECT [Items].[Id],[Items].[Price] FROM [Items] WHERE [Price] < 10 \n");
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(std::pair{Format::jet3, 0}, std::pair{Format::jet4, 0},
                                           std::pair{Format::ace12, 0}, std::pair{Format::ace14, 0},
                                           std::pair{Format::jet4, 200}, std::pair{Format::jet3, 120}));

// A linked Access table is found in its source whatever the letter case of its name there; a missing
// source gives 3024. An ODBC link is described by the definition the database keeps, and without it fails
// as a connection to its data source would.
TEST(WrittenLinks, AMissingSourceGives3024AndAnOdbcLinkWithoutItsDefinition3151) {
    const test::WrittenDatabase source(
        test::schema_of(Format::jet4, {{u"Customers", {column(u"id", ColumnType::long_integer)}}}));
    Schema s;
    s.linked_tables = {{u"Linked", u"CUSTOMERS", source.path().u16string()},
                       {u"Missing", u"Customers", u"/nonexistent/source.mdb"},
                       {u"Odbc orders",
                        u"dbo.orders",
                        u"",
                        u"DATABASE=shop;DSN=shop",
                        {column(u"Number", ColumnType::long_integer)}}};
    const test::WrittenDatabase file(s);
    const auto fields_of = [](const std::filesystem::path& path, const char16_t* table) {
        try {
            qz_cls_odbc_access session;
            session.connect(path.u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");
            return utf8(session.get_fields(table, u"")).substr(0, 7);
        } catch (const Error& e) {
            return std::to_string(e.number()) + " " + utf8(e.description());
        }
    };
    EXPECT_EQ(fields_of(file.path(), u"Linked"), "name=id");
    EXPECT_EQ(fields_of(file.path(), u"Missing").substr(0, 4), "3024");
    EXPECT_EQ(fields_of(file.path(), u"Odbc orders"), "name=Nu");

    std::ifstream in(file.path(), std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const auto catalog = jet::Catalog::open(file.path().u16string(), u"");
    for (const jet::CatalogObject* table : catalog->tables()) {
        if (table->name == u"Odbc orders") bytes.replace((table->id & 0xFFFFFF) * 4096, 4096, 4096, '\0');
    }
    EXPECT_EQ(fields_of(file.folder().write("uncached.mdb", bytes), u"Odbc orders"),
              "3151 ODBC--connection to 'shop' failed.");
}

// Listing the tables reads the catalog and its index, not one page per table.
TEST(WrittenCatalog, ListingTablesReadsTheCatalogNotAPagePerTable) {
    Schema s;
    for (int i = 0; i < 300; ++i)
        s.tables.push_back({text::utf8_to_utf16("Table " + std::to_string(1000 + i)),
                            {column(u"A", ColumnType::long_integer)}});
    const test::WrittenDatabase file(s);
    const auto catalog = jet::Catalog::open(file.path().u16string(), u"");
    const auto tables = catalog->tables();
    EXPECT_EQ(std::count_if(tables.begin(), tables.end(),
                            [](const jet::CatalogObject* t) { return t->flags == 0; }),
              300);
    EXPECT_LT(catalog->file().pages_read(), catalog->file().page_count() / 4);
}

}  // namespace
}  // namespace qz::writer

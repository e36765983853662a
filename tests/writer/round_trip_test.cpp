// Files made by the writer are real: Debian's mdbtools reads them, and the project's reader lists exactly
// what was written, in every format. One rich schema per format (links, queries of each kind, complex
// columns: what the random schemas of the property test leave out), plus catalogs large enough to need an
// index tree of two levels.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "tests/writer/command_output.hpp"
#include "writer/access_writer.hpp"

namespace qz::writer {
namespace {

namespace fs = std::filesystem;

std::string utf8(const std::u16string& s) { return text::utf16_to_utf8(s); }

constexpr std::ptrdiff_t decimal_column = 14;  // of the table Items, which Jet 3 files do without

// Every column type, the column properties a listing reads, each kind of index, a relationship, a select
// query, a hidden and a system table, and rows whose long values take each of the three storage kinds.
Schema rich_schema(Format format, int extra_tables) {
    Schema s;
    s.format = format;
    Column id = column(u"Id", ColumnType::long_integer);
    id.auto_number = true;
    Column code = column(u"Code", ColumnType::text, 10);
    code.fixed_length = true;
    Column plain = column(u"Plain", ColumnType::text, 50);
    plain.unicode_compression = false;
    plain.properties = {Property::text(u"Description", u"Uncompressed text"), Property::memo(u"DefaultValue", u"\"x\"")};
    Column amount = column(u"Amount", ColumnType::decimal);
    amount.precision = 10;
    amount.scale = 2;
    Column price = column(u"Price", ColumnType::currency);
    price.properties = {Property::text(u"Format", u"Currency"), Property::byte(u"DecimalPlaces", 2)};
    Column link = column(u"Link", ColumnType::memo);
    link.hyperlink = true;
    Column guid = column(u"Row guid", ColumnType::guid);
    guid.auto_number = true;
    Table items{u"Items",
                {id, column(u"Flag", ColumnType::boolean), column(u"Small", ColumnType::byte),
                 column(u"Count", ColumnType::integer), price, column(u"Ratio", ColumnType::single),
                 column(u"Measure", ColumnType::double_float), column(u"When", ColumnType::date_time), code, plain,
                 column(u"Bytes", ColumnType::binary, 16), column(u"Notes", ColumnType::memo),
                 column(u"Picture", ColumnType::ole), guid, amount, link},
                {{u"PrimaryKey", {{u"Id"}}, true, true, false, true},
                 {u"ByCountDown", {{u"Count", true}, {u"Small"}}, false, true, false, false},
                 {u"Plain", {{u"Plain"}}, false, false, true, false}},
                {},
                false,
                false,
                {Property::text(u"Description", u"Every type")}};
    const std::vector<std::uint8_t> guid_bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    items.rows.push_back({std::int64_t{1}, true, std::int64_t{7}, std::int64_t{-3}, 12.5, 0.25, 1e10, 45000.25,
                          std::u16string(u"AB"), std::u16string(u"caf\u00E9"), std::vector<std::uint8_t>{0xDE, 0xAD},
                          std::u16string(u"short memo"), std::vector<std::uint8_t>(3000, 0x42), guid_bytes,
                          std::int64_t{-12345}, std::u16string(u"#http://example.com#")});
    items.rows.push_back({std::int64_t{2}, false, Value{}, std::int64_t{40}, Value{}, Value{}, Value{}, Value{},
                          Value{}, Value{}, Value{}, std::u16string(9000, u'm'), Value{}, Value{}, Value{}, Value{}});
    Table lines{u"Order lines", {column(u"Item", ColumnType::long_integer), column(u"Qty", ColumnType::integer)}};
    Table hidden{u"Hidden one", {column(u"A", ColumnType::long_integer)}};
    hidden.hidden = true;
    Table system{u"USysSettings", {column(u"Key", ColumnType::text, 20)}};
    system.system = true;
    if (format == Format::jet3) {  // Decimal came with Jet 4
        items.columns.erase(items.columns.begin() + decimal_column);
        for (auto& row : items.rows) row.erase(row.begin() + decimal_column);
    }
    s.tables = {items, lines, hidden, system};
    if (format == Format::ace12 || format == Format::ace14) {
        Column files = column(u"Files", ColumnType::ole);
        files.complex = ComplexKind::attachment;
        Column tags = column(u"Tags", ColumnType::text, 30);
        tags.complex = ComplexKind::multi_value;
        Column scores = column(u"Scores", ColumnType::long_integer);
        scores.complex = ComplexKind::multi_value;
        Table complex{u"Complex", {column(u"Id", ColumnType::long_integer), files, tags, scores}};
        if (format == Format::ace14) {
            Column twice = column(u"Twice", ColumnType::double_float);
            twice.expression = u"[Id]*2";
            complex.columns.push_back(twice);
        }
        complex.rows.push_back(std::vector<Value>(complex.columns.size()));
        complex.rows[0][0] = std::int64_t{1};
        s.tables.push_back(complex);
    }
    for (int i = 0; i < extra_tables; ++i) {
        s.tables.push_back({u"Extra table number " + std::u16string(1, static_cast<char16_t>(u'A' + i / 26)) +
                                std::u16string(1, static_cast<char16_t>(u'a' + i % 26)),
                            {column(u"Value", ColumnType::long_integer)}});
    }
    // One table linked from a file beside this one (found there when its stored path does not exist), one
    // linked through ODBC with its cached definition.
    s.linked_tables = {{u"Linked stock", u"Stock", u"C:\\absent\\source.mdb"},
                       {u"Odbc orders", u"dbo.orders", u"", u"DSN=shop;DATABASE=shop",
                        {column(u"Number", ColumnType::long_integer), column(u"Customer", ColumnType::text, 40)}}};
    s.relationships = {{u"ItemsLines", u"Items", u"Order lines", {{u"Id", u"Item"}}, 0x00001100},
                       {u"Loose", u"Items", u"Order lines", {{u"Count", u"Qty"}, {u"Id", u"Item"}}, 0x00000002}};
    Query by_count = Query::select(u"Items by count", {u"Items"}, {u"[Items].[Count]"}, u"[Count] > [Least]");
    by_count.rows.push_back({2, 3, u"Least", {}, {}});  // an Integer parameter
    Query both{u"Both names", 0x80,  // union: its parts as SQL text under two marker rows
               {{1, 9, {}, {}, {}}, {3, 3, {}, {}, {}},
                {5, {}, {}, u"X7YZ_____1", u"SELECT [Plain] FROM [Items]"},
                {5, {}, {}, u"X7YZ_____2", u"SELECT [Code] FROM [Items]"}}};
    Query make{u"Make table", 0x60, {{1, 7, {}, {}, u"CREATE TABLE [New] ([A] LONG)"}}};
    Query form_source = Query::select(u"~sq_fItems", {u"Items"}, {u"[Items].[Id]"});
    form_source.flags = 0x03;
    s.queries = {Query::select(u"Cheap items", {u"Items"}, {u"[Items].[Id]", u"[Items].[Price]"}, u"[Price] < 10"),
                 by_count, both, make, form_source};
    return s;
}

// Whether the catalog's index has a page above its leaves (type 0x03, owned by the catalog's definition on
// page 2).
bool catalog_index_has_two_levels(const fs::path& path, Format format) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    const std::size_t page_size = format == Format::jet3 ? 2048 : 4096;
    for (std::size_t at = 0; at + page_size <= bytes.size(); at += page_size) {
        if (bytes[at] == 0x03 && bytes[at + 1] == 0x01 && bytes[at + 4] == 0x02 && bytes[at + 5] == 0) return true;
    }
    return false;
}

struct Case {
    const char* name;
    Format format;
    int extra_tables;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class RoundTrip : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("qz_writer_" + std::to_string(::getpid()) + "_" + GetParam().name);
        fs::create_directories(folder_);
        path_ = folder_ / (GetParam().format == Format::ace12 ? "db.accdb" : "db.mdb");
        Schema source;
        source.format = GetParam().format;
        source.tables = {{u"Stock", {column(u"Sku", ColumnType::text, 12), column(u"Level", ColumnType::integer)}}};
        write_database(source, folder_ / "source.mdb");
        schema_ = rich_schema(GetParam().format, GetParam().extra_tables);
        write_database(schema_, path_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The names of `key`'s items in a listing of records joined by "\n", items by "|", key=value by "=".
    static std::vector<std::string> values_of(const std::u16string& listing, const std::string& key) {
        std::vector<std::string> out;
        const std::string text = utf8(listing);
        for (std::size_t at = 0; (at = text.find(key + "=", at)) != std::string::npos;) {
            if (at != 0 && text[at - 1] != '|' && text[at - 1] != '\n') {
                ++at;
                continue;
            }
            at += key.size() + 1;
            out.push_back(text.substr(at, text.find_first_of("|\n", at) - at));
        }
        return out;
    }

    fs::path folder_, path_;
    Schema schema_;
};

TEST_P(RoundTrip, TheProjectsReaderListsExactlyWhatWasWritten) {
    qz_cls_odbc_access session;
    session.connect(path_.u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");

    const bool ace = GetParam().format == Format::ace12 || GetParam().format == Format::ace14;
    std::vector<std::string> expected{"Items", "Order lines"};
    for (std::size_t i = 4; i < schema_.tables.size(); ++i) expected.push_back(utf8(schema_.tables[i].name));
    std::sort(expected.begin(), expected.end());  // the General sort order, for these ASCII names
    EXPECT_EQ(values_of(session.get_tables(u"tab"), "name"), expected) << "in the catalog index's order";
    std::vector<std::string> others{"Hidden one",        "Linked stock", "MSysACEs",    "MSysObjects",
                                    "MSysQueries",       "MSysRelationships", "Odbc orders", "USysSettings"};
    if (ace) {  // the complex-column tables every ACE file holds; flat tables of complex columns are left out
        others.insert(others.begin() + 3,
                      {"MSysComplexColumns", "MSysComplexType_Attachment", "MSysComplexType_Decimal",
                       "MSysComplexType_GUID", "MSysComplexType_IEEEDouble", "MSysComplexType_IEEESingle",
                       "MSysComplexType_Long", "MSysComplexType_Short", "MSysComplexType_Text",
                       "MSysComplexType_UnsignedByte"});
    }
    EXPECT_EQ(values_of(session.get_tables(u"sys"), "name"), others);
    std::vector<std::string> system_attributes;
    for (const auto& name : others) {
        system_attributes.push_back(name == "Hidden one"     ? "1"
                                    : name == "Linked stock" ? "1073741824"  // a linked file
                                    : name == "Odbc orders"  ? "536870912"   // a link through ODBC
                                                             : "-2147483648");
    }
    EXPECT_EQ(values_of(session.get_tables(u"sys"), "attributes"), system_attributes);
    EXPECT_EQ(catalog_index_has_two_levels(path_, GetParam().format), GetParam().extra_tables > 0);

    const std::u16string fields = session.get_fields(u"Items", u"");
    std::vector<std::string> names;
    for (const auto& c : schema_.tables[0].columns) names.push_back(utf8(c.name));
    EXPECT_EQ(values_of(fields, "name"), names);
    EXPECT_EQ(values_of(session.get_indexes(u"Items"), "name"),
              (std::vector<std::string>{"PrimaryKey", "ByCountDown", "Plain"}));
    EXPECT_EQ(values_of(session.get_indexes(u"Items"), "fields"),
              (std::vector<std::string>{"+Id", "-Count;+Small", "+Plain"}));
    EXPECT_EQ(values_of(session.get_indexes(u"Items"), "ignore_nulls"),
              (std::vector<std::string>{"False", "False", "True"}));
    EXPECT_EQ(values_of(session.get_indexes(u"Order lines"), "foreign"), (std::vector<std::string>{"True"}));
    EXPECT_EQ(utf8(session.get_relations()),
              "name=ItemsLines|table=Items|foreign_table=Order lines|attributes=4352|fields=name:Id&foreign_name:Item\n"
              "name=Loose|table=Items|foreign_table=Order lines|attributes=2|fields=name:Count&foreign_name:Qty,name:Id&foreign_name:Item");
    EXPECT_EQ(values_of(session.get_fields(u"Linked stock", u""), "name"), (std::vector<std::string>{"Sku", "Level"}));
    EXPECT_EQ(values_of(session.get_fields(u"Odbc orders", u""), "name"),
              (std::vector<std::string>{"Number", "Customer"}));
    EXPECT_EQ(values_of(session.get_querys(), "name"),
              (std::vector<std::string>{"Both names", "Cheap items", "Items by count", "Make table", "~sq_fItems"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Items by count"), "name"), (std::vector<std::string>{"Count"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Both names"), "name"), (std::vector<std::string>{"Plain"}));
    EXPECT_EQ(values_of(session.get_fields_query(u"Make table"), "name"), std::vector<std::string>{});
    if (ace) {
        const std::u16string complex = session.get_fields(u"Complex", u"");
        std::vector<std::string> types{"long", "attachment", "complex_text", "complex_long"};
        if (GetParam().format == Format::ace14) types.push_back("double");
        EXPECT_EQ(values_of(complex, "type"), types) << utf8(complex);
    }
    EXPECT_EQ(values_of(session.get_fields_query(u"Cheap items"), "name"), (std::vector<std::string>{"Id", "Price"}));
}

TEST_P(RoundTrip, MdbtoolsReadsTheTablesColumnsAndQueries) {
    if (!mdbtools_installed()) GTEST_SKIP() << "mdbtools is not installed";
    const std::string file = "'" + path_.string() + "'";
    const std::string tables = output_of("mdb-tables -S -1 " + file);
    for (const char* name : {"Items\n", "Order lines\n", "USysSettings\n", "Hidden one\n"}) EXPECT_NE(tables.find(name), std::string::npos) << name;

    const std::string schema = output_of("mdb-schema -T Items " + file + " 2>&1");
    std::vector<std::string> lines{"[Id]\t\t\tLong Integer", "[Flag]\t\t\tBoolean", "[Small]\t\t\tByte",
                             "[Count]\t\t\tInteger", "[Price]\t\t\tCurrency", "[Ratio]\t\t\tSingle",
                             "[Measure]\t\t\tDouble", "[When]\t\t\tDateTime", "[Code]\t\t\tText (10)",
                             "[Plain]\t\t\tText (50)", "[Bytes]\t\t\tBinary", "[Notes]\t\t\tMemo/Hyperlink",
                             "[Picture]\t\t\tOLE", "[Row guid]\t\t\tReplication ID", "[Amount]\t\t\tNumeric (10, 2)", "[Link]\t\t\tMemo/Hyperlink"};
    if (GetParam().format == Format::jet3) lines.erase(lines.end() - 2);
    for (const std::string& line : lines) {
        EXPECT_NE(schema.find(line), std::string::npos) << line << " in\n" << schema;
    }
    EXPECT_EQ(output_of("mdb-queries -L " + file), "Cheap items Items by count Both names Make table ~sq_fItems \n");
    EXPECT_EQ(output_of("mdb-queries " + file + " 'Cheap items'"),
              "SELECT [Items].[Id],[Items].[Price] FROM [Items] WHERE [Price] < 10 \n");
    const std::string rows = output_of("mdb-export -d '|' " + file + " Items");
    EXPECT_NE(rows.find("1|1|7|-3|12.5"), std::string::npos) << rows.substr(0, 400);
    EXPECT_NE(rows.find(std::string(9000, 'm')), std::string::npos) << "a Memo stored as a chain of rows";
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         ::testing::Values(Case{"jet3", Format::jet3, 0}, Case{"jet4", Format::jet4, 0},
                                           Case{"ace12", Format::ace12, 0}, Case{"ace14", Format::ace14, 0},
                                           Case{"jet4_two_level_catalog_index", Format::jet4, 200},
                                           Case{"jet3_two_level_catalog_index", Format::jet3, 120}),
                         [](const auto& test) { return std::string(test.param.name); });

// A linked Access table is found in its source whatever the letter case of its name there; a missing
// source gives 3024. An ODBC link is described by the definition the database keeps, and without it fails
// as a connection to its data source would.
TEST(WrittenLinks, AMissingSourceGives3024AndAnOdbcLinkWithoutItsDefinition3151) {
    const fs::path folder = fs::temp_directory_path() / ("qz_links_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Schema source;
    source.tables = {{u"Customers", {column(u"id", ColumnType::long_integer), column(u"name", ColumnType::text, 40)}}};
    write_database(source, folder / "customers.mdb");
    Schema s;
    s.linked_tables = {{u"Linked", u"CUSTOMERS", (folder / "customers.mdb").u16string()},
                       {u"Missing", u"Customers", u"/nonexistent/source.mdb"},
                       {u"Odbc orders", u"dbo.orders", u"", u"DATABASE=shop;DSN=shop", {column(u"Number", ColumnType::long_integer)}}};
    write_database(s, folder / "links.mdb");
    const auto error_of = [](const fs::path& file, const char16_t* table) {
        try {
            qz_cls_odbc_access session;
            session.connect(file.u16string(), u"", u"", u"\n", u"|", u"=", u",", u"&", u":");
            return utf8(session.get_fields(table, u"")).substr(0, 7);
        } catch (const Error& e) {
            return std::to_string(e.number()) + " " + utf8(e.description());
        }
    };
    EXPECT_EQ(error_of(folder / "links.mdb", u"Linked"), "name=id");
    EXPECT_EQ(error_of(folder / "links.mdb", u"Missing").substr(0, 4), "3024");
    EXPECT_EQ(error_of(folder / "links.mdb", u"Odbc orders"), "name=Nu");

    std::ifstream in(folder / "links.mdb", std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const auto catalog = jet::Catalog::open((folder / "links.mdb").u16string(), u"");
    for (const jet::CatalogObject* table : catalog->tables()) {
        if (table->name == u"Odbc orders") bytes.replace((table->id & 0xFFFFFF) * 4096, 4096, 4096, '\0');
    }
    std::ofstream(folder / "uncached.mdb", std::ios::binary) << bytes;
    EXPECT_EQ(error_of(folder / "uncached.mdb", u"Odbc orders"), "3151 ODBC--connection to 'shop' failed.");
    fs::remove_all(folder);
}

// Listing the tables reads the catalog and its index, not one page per table.
TEST(WrittenCatalog, ListingTablesReadsTheCatalogNotAPagePerTable) {
    const fs::path file = fs::temp_directory_path() / ("qz_300_tables_" + std::to_string(::getpid()) + ".mdb");
    Schema s;
    for (int i = 0; i < 300; ++i) s.tables.push_back({text::utf8_to_utf16("Table " + std::to_string(1000 + i)), {column(u"A", ColumnType::long_integer)}});
    write_database(s, file);
    const auto catalog = jet::Catalog::open(file.u16string(), u"");
    const auto tables = catalog->tables();
    EXPECT_EQ(std::count_if(tables.begin(), tables.end(), [](const jet::CatalogObject* t) { return t->flags == 0; }), 300);
    EXPECT_LT(catalog->file().pages_read(), catalog->file().page_count() / 4)
        << catalog->file().pages_read() << " of " << catalog->file().page_count() << " pages read";
    fs::remove(file);
}

}  // namespace
}  // namespace qz::writer

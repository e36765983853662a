// Writes the project's sample database: a few related tables with indexes, saved queries, and names in
// more than one script. Usage: make_sample <path> [jet3|jet4|ace12|ace14] [password [agile|rc4]]
// A password protects a Jet 3 or Jet 4 file and encodes its pages, or encrypts an ACE file with agile AES
// (the default) or CryptoAPI RC4 (the fuzz targets start from such files).
#include <cstdio>
#include <exception>
#include <string>

#include "writer/access_writer.hpp"

namespace {

using namespace qz::writer;

Index primary_key(std::u16string column) { return {u"PrimaryKey", {{std::move(column)}}, true, true, false, true}; }

Schema sample(Format format) {
    Schema s;
    s.format = format;
    const bool unicode = format != Format::jet3;

    Table customers{u"Customers", {}, {}, {}, false, false, {Property::text(u"Description", u"People who order")}};
    Column id = column(u"CustomerID", ColumnType::long_integer);
    id.auto_number = true;
    customers.columns = {id, column(u"Name", ColumnType::text, 80), column(u"City", ColumnType::text, 40),
                         column(u"Since", ColumnType::date_time)};
    customers.columns[1].properties.push_back(Property::text(u"Description", u"Full name"));
    customers.indexes = {primary_key(u"CustomerID"), {u"ByCity", {{u"City"}}, false, false, true, false}};
    customers.rows = {{std::int64_t{1}, std::u16string(u"Ana Ara\u00FAjo"), std::u16string(u"S\u00E3o Paulo"), 45000.0},
                      {std::int64_t{2}, std::u16string(u"Bruno"), std::u16string(u"Lisboa"), 45001.5}};

    Table products{u"Products", {}, {}, {}, false, false, {}};
    Column price = column(u"Price", ColumnType::currency);
    price.properties = {Property::text(u"Format", u"Currency"), Property::byte(u"DecimalPlaces", 2)};
    products.columns = {column(u"ProductID", ColumnType::long_integer), column(u"Title", ColumnType::text, 100), price,
                        column(u"Notes", ColumnType::memo)};
    products.indexes = {primary_key(u"ProductID"), {u"Title", {{u"Title", true}}, false, true, false, false}};

    Table orders{unicode ? u"Pedidos \u6CE8\u6587" : u"Pedidos", {}, {}, {}, false, false, {}};
    orders.columns = {column(u"OrderID", ColumnType::long_integer), column(u"CustomerID", ColumnType::long_integer),
                      column(u"ProductID", ColumnType::long_integer), column(u"Quantity", ColumnType::integer),
                      column(u"Shipped", ColumnType::boolean)};
    orders.columns[3].properties.push_back(Property::memo(u"DefaultValue", u"1"));
    orders.indexes = {primary_key(u"OrderID")};

    Table categories{u"Categor\u00EDas", {column(u"Nome", ColumnType::text, 50), column(u"A\u00F1o", ColumnType::integer)}};
    categories.indexes = {{u"PrimaryKey", {{u"Nome"}}, true, true, false, true}};
    categories.rows = {{std::u16string(u"Caf\u00E9"), std::int64_t{2024}}, {std::u16string(u"Ch\u00E1"), std::int64_t{2025}}};

    s.tables = {customers, products, orders, categories};
    s.relationships = {{u"CustomersOrders", u"Customers", orders.name, {{u"CustomerID", u"CustomerID"}}, 0x00001000},
                       {u"ProductsOrders", u"Products", orders.name, {{u"ProductID", u"ProductID"}}, 0}};
    s.queries = {Query::select(u"Customers by city", {u"Customers"}, {u"[Customers].[Name]", u"[Customers].[City]"}),
                 Query::select(u"Big orders", {orders.name}, {}, u"[Quantity] > 10")};
    s.queries[1].rows.push_back({3, 1, {}, {}, {}});  // output all fields
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <path> [jet3|jet4|ace12|ace14] [password [agile|rc4]]\n", argv[0]);
        return 2;
    }
    const std::string kind = argc > 2 ? argv[2] : "jet4";
    const Format format = kind == "jet3"    ? Format::jet3
                          : kind == "ace12" ? Format::ace12
                          : kind == "ace14" ? Format::ace14
                                            : Format::jet4;
    try {
        Schema schema = sample(format);
        if (argc > 3) {
            const std::string password = argv[3];
            schema.password.assign(password.begin(), password.end());  // ASCII
            schema.encoding_key = 0x5A3C9E17;
            if (argc > 4 && std::string(argv[4]) == "rc4") schema.ace_encryption = AceEncryption::cryptoapi_rc4;
        }
        write_database(schema, argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample: %s\n", e.what());
        return 1;
    }
    return 0;
}

// Writes a Jet 4 database of COUNT small tables (two columns and a primary key each), for timing and peak
// memory of listings at the engine's limit of 32,767 tables. Usage: make_many_tables <path> <count>
#include <cstdio>
#include <exception>
#include <string>

#include "writer/access_writer.hpp"

int main(int argc, char** argv) {
    using namespace qz::writer;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <path> <count>\n", argv[0]);
        return 2;
    }
    try {
        Schema schema;
        const int count = std::stoi(argv[2]);
        for (int i = 0; i < count; ++i) {
            const std::string digits = std::to_string(i);
            Table table{u"Table" + std::u16string(digits.begin(), digits.end()),
                        {column(u"Id", ColumnType::long_integer), column(u"Name", ColumnType::text, 50)}};
            table.indexes = {{u"PrimaryKey", {{u"Id"}}, true, true, false, true}};
            schema.tables.push_back(std::move(table));
        }
        write_database(schema, argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_many_tables: %s\n", e.what());
        return 1;
    }
    return 0;
}

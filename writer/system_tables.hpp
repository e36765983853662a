#pragma once
// The columns of the four core system tables every database holds (reference 8.2, 8.7, 10, 11.1), in
// column-number order, and the ids of the catalog's fixed objects (8.3).

#include <vector>

#include "writer/access_writer.hpp"

namespace qz::writer {

namespace catalog_id {
constexpr std::int32_t root = 0x0F000000;
constexpr std::int32_t tables = 0x0F000001;
constexpr std::int32_t databases = 0x0F000002;
constexpr std::int32_t relationships = 0x0F000003;
constexpr std::int32_t database_object = 0x10000000;  // MSysDb
constexpr std::uint32_t first_numbered = 0x80000000;  // other objects count up from here
}  // namespace catalog_id

namespace object_type {
constexpr std::int16_t table = 1, database = 2, container = 3, odbc_link = 4, query = 5, access_link = 6,
                       relationship = 8;
}

namespace object_flag {
constexpr std::uint32_t system = 0x80000000, hidden = 0x00000008, odbc_link = 0x00100000, access_link = 0x00200000;
}

// Column numbers of MSysObjects.
namespace objects_column {
constexpr std::size_t id = 0, parent_id = 1, name = 2, type = 3, date_create = 4, date_update = 5, flags = 7,
                      database = 8, connect = 9, foreign_name = 10, lv_prop = 14, count = 17;
}

std::vector<Column> objects_columns();
std::vector<Column> aces_columns();
std::vector<Column> queries_columns(bool jet3);
std::vector<Column> relationships_columns();

}  // namespace qz::writer

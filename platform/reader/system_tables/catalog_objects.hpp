#pragma once
// The rows of MSysObjects (reference section 8): every object of the database, read by one scan of the
// catalog table whose definition is always on page 2.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/reader/pages/data_page.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"

namespace qz::jet {

// Object types of MSysObjects.Type (reference 8.4).
namespace object_type {
inline constexpr std::int16_t local_table = 1;
inline constexpr std::int16_t container = 3;
inline constexpr std::int16_t odbc_table = 4;
inline constexpr std::int16_t query = 5;
inline constexpr std::int16_t linked_table = 6;
inline constexpr std::int16_t relationship = 8;
}  // namespace object_type

inline constexpr std::uint32_t catalog_definition_page = 2;
// The virtual root under which the containers hang (reference 8.3).
inline constexpr std::int32_t catalog_root_id = 0x0F000000;

// Where a linked or ODBC table's rows come from.
struct LinkSource {
    std::u16string database;      // the source file as stored
    std::u16string connect;       // the connect text
    std::u16string foreign_name;  // the table's name in its source
};

struct CatalogObject {
    RowAddress slot;             // the row's slot: what index entries point at
    std::int32_t id = 0;         // local tables: first TDEF page
    std::int32_t parent_id = 0;  // the container
    std::u16string name;
    std::int16_t type = 0;
    double date_create = 0;
    double date_update = 0;
    std::uint32_t flags = 0;
    // Links only; null for every other object, which keeps the thousands of rows a catalog may hold small.
    std::unique_ptr<const LinkSource> link;
    // The stored LvProp value (a long-value header, possibly with inline data); empty when null.
    std::vector<std::uint8_t> properties_value;
};

// The rows of MSysObjects. A deque: it grows without copying what it holds, so a catalog at the engine's
// limit of 32,767 objects is never held twice, and its objects stay where they are, as the pointers the
// catalog hands out need.
using CatalogObjects = std::deque<CatalogObject>;

// Every live row of MSysObjects, in physical order: by page, then row, as their slots go.
CatalogObjects read_catalog_objects(const PageFile& file, const TableDefinition& objects_table);

// Raises 3049 unless `objects` hold the rows every database holds: the containers Tables, Databases and
// Relationships under the root, and under Tables the catalog's own system tables, MSysObjects on the page
// its definition starts on. A catalog cut short or damaged loses these first of all, and would otherwise
// read as a database with fewer objects.
void require_rows_of_every_database(const PageFile& file, const CatalogObjects& objects);

}  // namespace qz::jet

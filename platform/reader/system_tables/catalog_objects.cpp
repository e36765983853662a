#include "platform/reader/system_tables/catalog_objects.hpp"

#include <algorithm>

#include "platform/errors.hpp"
#include "platform/reader/records/long_value.hpp"
#include "platform/reader/records/table_scan.hpp"

namespace qz::jet {

CatalogObjects read_catalog_objects(const PageFile& file, const TableDefinition& objects_table) {
    const auto& id = required_column(file, objects_table, u"Id");
    const auto& parent_id = required_column(file, objects_table, u"ParentId");
    const auto& name = required_column(file, objects_table, u"Name");
    const auto& type = required_column(file, objects_table, u"Type");
    const auto& date_create = required_column(file, objects_table, u"DateCreate");
    const auto& date_update = required_column(file, objects_table, u"DateUpdate");
    const auto& flags = required_column(file, objects_table, u"Flags");
    const auto& database = required_column(file, objects_table, u"Database");
    const auto& connect = required_column(file, objects_table, u"Connect");
    const auto& foreign_name = required_column(file, objects_table, u"ForeignName");
    const auto& properties = required_column(file, objects_table, u"LvProp");

    CatalogObjects objects;
    // Property blobs are read one object at a time, later; like every long value they live in rows of their
    // own, so together they fit in the file. Objects sharing one blob would multiply the memory of a
    // listing that reads them all.
    std::uint64_t property_bytes = 0;
    // Ids are unique; a local table's is its definition page, so tables sharing one would each read it.
    std::vector<std::int32_t> ids;
    scan_table(file, objects_table, [&](RowAddress slot, const Record& record) {
        CatalogObject o;
        o.slot = slot;
        o.id = static_cast<std::int32_t>(record.integer(id).value_or(0));
        ids.push_back(o.id);
        o.parent_id = static_cast<std::int32_t>(record.integer(parent_id).value_or(0));
        o.name = record.text(name).value_or(u"");
        o.type = static_cast<std::int16_t>(record.integer(type).value_or(0));
        o.date_create = record.real(date_create).value_or(0);
        o.date_update = record.real(date_update).value_or(0);
        o.flags = static_cast<std::uint32_t>(record.integer(flags).value_or(0));
        // Only links need their source; reading these long values for every object would cost pages.
        if (o.type == object_type::linked_table || o.type == object_type::odbc_table) {
            o.link = std::make_unique<const LinkSource>(LinkSource{record.text(database).value_or(u""),
                                                                   record.text(connect).value_or(u""),
                                                                   record.text(foreign_name).value_or(u"")});
        }
        if (const auto stored = record.bytes(properties)) {
            o.properties_value.assign(stored->begin(), stored->end());
            property_bytes += declared_long_value_length(*stored);
        }
        objects.push_back(std::move(o));
    });
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end())
        throw errors::database_damaged(file.path(), "two catalog objects have the same id");
    if (property_bytes > long_value_capacity(file))
        throw errors::database_damaged(file.path(), "catalog objects share their property blobs");
    return objects;
}

void require_rows_of_every_database(const PageFile& file, const CatalogObjects& objects) {
    const auto find = [&](std::int32_t parent, std::int16_t type, std::u16string_view name) {
        return std::find_if(objects.begin(), objects.end(), [&](const CatalogObject& o) {
            return o.parent_id == parent && o.type == type && o.name == name;
        });
    };
    for (const std::u16string_view container : {u"Tables", u"Databases", u"Relationships"}) {
        if (find(catalog_root_id, object_type::container, container) == objects.end())
            throw errors::database_damaged(file.path(), "the catalog lacks one of its containers");
    }
    const std::int32_t tables = find(catalog_root_id, object_type::container, u"Tables")->id;
    const auto catalog = find(tables, object_type::local_table, u"MSysObjects");
    if (catalog == objects.end() || catalog->id != static_cast<std::int32_t>(catalog_definition_page))
        throw errors::database_damaged(file.path(), "the catalog lacks its own row");
    for (const std::u16string_view system_table : {u"MSysACEs", u"MSysQueries", u"MSysRelationships"}) {
        if (find(tables, object_type::local_table, system_table) == objects.end())
            throw errors::database_damaged(file.path(), "the catalog lacks one of its system tables");
    }
}

}  // namespace qz::jet

#include "writer/system_tables.hpp"

namespace qz::writer {
namespace {

// A column of a system table: the engine stores their text uncompressed.
Column system_column(std::u16string name, ColumnType type) {
    Column c;
    c.name = std::move(name);
    c.type = type;
    c.unicode_compression = false;
    return c;
}

}  // namespace

std::vector<Column> objects_columns() {
    return {system_column(u"Id", ColumnType::long_integer),
            system_column(u"ParentId", ColumnType::long_integer),
            system_column(u"Name", ColumnType::text),
            system_column(u"Type", ColumnType::integer),
            system_column(u"DateCreate", ColumnType::date_time),
            system_column(u"DateUpdate", ColumnType::date_time),
            system_column(u"Owner", ColumnType::binary),
            system_column(u"Flags", ColumnType::long_integer),
            system_column(u"Database", ColumnType::memo),
            system_column(u"Connect", ColumnType::memo),
            system_column(u"ForeignName", ColumnType::text),
            system_column(u"RmtInfoShort", ColumnType::binary),
            system_column(u"RmtInfoLong", ColumnType::ole),
            system_column(u"Lv", ColumnType::ole),
            system_column(u"LvProp", ColumnType::ole),
            system_column(u"LvModule", ColumnType::ole),
            system_column(u"LvExtra", ColumnType::ole)};
}

std::vector<Column> aces_columns() {
    return {system_column(u"ObjectId", ColumnType::long_integer), system_column(u"SID", ColumnType::binary),
            system_column(u"ACM", ColumnType::long_integer),
            system_column(u"FInheritable", ColumnType::boolean)};
}

std::vector<Column> queries_columns(bool jet3) {
    std::vector<Column> c{system_column(u"ObjectId", ColumnType::long_integer),
                          system_column(u"Attribute", ColumnType::byte),
                          system_column(u"Order", ColumnType::binary),
                          system_column(u"Name1", ColumnType::text),
                          system_column(u"Name2", ColumnType::text),
                          system_column(u"Expression", ColumnType::memo),
                          system_column(u"Flag", ColumnType::integer)};
    if (!jet3) c.push_back(system_column(u"LvExtra", ColumnType::long_integer));
    return c;
}

std::vector<Column> relationships_columns() {
    return {system_column(u"szRelationship", ColumnType::text),
            system_column(u"grbit", ColumnType::long_integer),
            system_column(u"ccolumn", ColumnType::long_integer),
            system_column(u"icolumn", ColumnType::long_integer),
            system_column(u"szObject", ColumnType::text),
            system_column(u"szColumn", ColumnType::text),
            system_column(u"szReferencedObject", ColumnType::text),
            system_column(u"szReferencedColumn", ColumnType::text)};
}

}  // namespace qz::writer

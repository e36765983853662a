#include "writer/system_tables.hpp"

namespace qz::writer {
namespace {

Column column(std::u16string name, ColumnType type) {
    Column c;
    c.name = std::move(name);
    c.type = type;
    c.unicode_compression = false;
    return c;
}

}  // namespace

std::vector<Column> objects_columns() {
    return {column(u"Id", ColumnType::long_integer),        column(u"ParentId", ColumnType::long_integer),
            column(u"Name", ColumnType::text),              column(u"Type", ColumnType::integer),
            column(u"DateCreate", ColumnType::date_time),   column(u"DateUpdate", ColumnType::date_time),
            column(u"Owner", ColumnType::binary),           column(u"Flags", ColumnType::long_integer),
            column(u"Database", ColumnType::memo),          column(u"Connect", ColumnType::memo),
            column(u"ForeignName", ColumnType::text),       column(u"RmtInfoShort", ColumnType::binary),
            column(u"RmtInfoLong", ColumnType::ole),        column(u"Lv", ColumnType::ole),
            column(u"LvProp", ColumnType::ole),             column(u"LvModule", ColumnType::ole),
            column(u"LvExtra", ColumnType::ole)};
}

std::vector<Column> aces_columns() {
    return {column(u"ObjectId", ColumnType::long_integer), column(u"SID", ColumnType::binary),
            column(u"ACM", ColumnType::long_integer), column(u"FInheritable", ColumnType::boolean)};
}

std::vector<Column> queries_columns(bool jet3) {
    std::vector<Column> c{column(u"ObjectId", ColumnType::long_integer), column(u"Attribute", ColumnType::byte),
                          column(u"Order", ColumnType::binary),          column(u"Name1", ColumnType::text),
                          column(u"Name2", ColumnType::text),            column(u"Expression", ColumnType::memo),
                          column(u"Flag", ColumnType::integer)};
    if (!jet3) c.push_back(column(u"LvExtra", ColumnType::long_integer));
    return c;
}

std::vector<Column> relationships_columns() {
    return {column(u"szRelationship", ColumnType::text), column(u"grbit", ColumnType::long_integer),
            column(u"ccolumn", ColumnType::long_integer),  column(u"icolumn", ColumnType::long_integer),
            column(u"szObject", ColumnType::text),         column(u"szColumn", ColumnType::text),
            column(u"szReferencedObject", ColumnType::text), column(u"szReferencedColumn", ColumnType::text)};
}

}  // namespace qz::writer

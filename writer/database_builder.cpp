// The order in which a file comes together: table definition pages are reserved first (a local table's id
// is its definition page), then the catalog's rows are made, every table's rows and long values packed,
// its indexes and usage maps written, and last the definitions themselves, which point at all of those.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <variant>

#include "writer/access_writer.hpp"
#include "writer/ace_encryption.hpp"
#include "writer/header_page.hpp"
#include "writer/index_pages.hpp"
#include "writer/page_store.hpp"
#include "writer/property_blob.hpp"
#include "writer/rc4.hpp"
#include "writer/row_encoder.hpp"
#include "writer/sort_key.hpp"
#include "writer/system_tables.hpp"
#include "writer/table_definition.hpp"

namespace qz::writer {
namespace {

constexpr std::uint8_t inline_map = 0x00;  // usage map kind (2.4)
// Relationship attribute bits (10) and the cascade bytes of a foreign-key index (3.9).
constexpr std::uint32_t not_enforced = 0x00000002, cascade_updates = 0x00000100, cascade_deletes = 0x00001000,
                        cascade_null = 0x00002000;
constexpr std::uint8_t query_start = 0, query_end = 255;
constexpr std::uint32_t default_ace_key = 0x6E3F21A9;  // any non-zero key marks an encrypted ACE file

std::u16string folded(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
    }
    return out;
}

Value integer(std::int64_t v) { return v; }

// Catalog flags of the complex-column machinery (8.6).
constexpr std::uint32_t complex_type_table_flags = 0x80030000, flat_table_flags = 0x800A0000,
                        complex_table_flag = 0x00040000;

Column system_column(std::u16string name, ColumnType type) {
    Column c;
    c.name = std::move(name);
    c.type = type;
    c.unicode_compression = false;
    return c;
}

struct ComplexTypeTable {
    std::u16string_view name;
    std::vector<Column> columns;
    bool attachment = false;
};

std::vector<ComplexTypeTable> complex_type_tables() {
    const auto value = [](ColumnType type) { return std::vector<Column>{system_column(u"Value", type)}; };
    return {{u"MSysComplexType_Attachment",
             {system_column(u"FileURL", ColumnType::memo), system_column(u"FileName", ColumnType::text),
              system_column(u"FileType", ColumnType::text), system_column(u"FileFlags", ColumnType::long_integer),
              system_column(u"FileTimeStamp", ColumnType::date_time), system_column(u"FileData", ColumnType::ole)},
             true},
            {u"MSysComplexType_UnsignedByte", value(ColumnType::byte)},
            {u"MSysComplexType_Short", value(ColumnType::integer)},
            {u"MSysComplexType_Long", value(ColumnType::long_integer)},
            {u"MSysComplexType_IEEESingle", value(ColumnType::single)},
            {u"MSysComplexType_IEEEDouble", value(ColumnType::double_float)},
            {u"MSysComplexType_GUID", value(ColumnType::guid)},
            {u"MSysComplexType_Decimal", value(ColumnType::decimal)},
            {u"MSysComplexType_Text", value(ColumnType::text)}};
}

std::u16string complex_type_table_name(const Column& c) {
    if (c.complex == ComplexKind::attachment) return u"MSysComplexType_Attachment";
    switch (c.type) {
        case ColumnType::byte:
            return u"MSysComplexType_UnsignedByte";
        case ColumnType::integer:
            return u"MSysComplexType_Short";
        case ColumnType::long_integer:
            return u"MSysComplexType_Long";
        case ColumnType::single:
            return u"MSysComplexType_IEEESingle";
        case ColumnType::double_float:
            return u"MSysComplexType_IEEEDouble";
        case ColumnType::guid:
            return u"MSysComplexType_GUID";
        case ColumnType::decimal:
            return u"MSysComplexType_Decimal";
        case ColumnType::text:
            return u"MSysComplexType_Text";
        default:
            return u"";
    }
}
Value text_or_null(const std::optional<std::u16string>& s) {
    return s ? Value{*s} : Value{};
}

struct TableWork {
    TableLayout layout;
    std::uint32_t catalog_flags = object_flag::system;
    Bytes properties;  // the LvProp of its catalog row
    const LinkedTable* odbc_link = nullptr;  // set on the cached definition of a table linked through ODBC
    std::vector<std::vector<Value>> rows;
    std::vector<RowAddress> addresses;
    std::uint32_t tdef_page = 0;
    std::int32_t next_index_number = 0;
    std::size_t relation_names = 0;  // ".rA", ".rB", ... handed out so far
};

class DatabaseBuilder {
public:
    explicit DatabaseBuilder(const Schema& schema)
        : schema_(schema), layout_(FileLayout::of(schema.format)), store_(layout_) {}

    Bytes build() {
        if (layout_.ace() && schema_.password.empty() && schema_.encoding_key != 0)
            throw std::invalid_argument("an ACE file is encrypted with a password, never by a key alone");
        const std::uint32_t header = store_.allocate();
        const std::uint32_t map_page = store_.allocate();
        add_table(u"MSysObjects", objects_columns(), true);
        add_table(u"MSysACEs", aces_columns(), true);
        add_table(u"MSysQueries", queries_columns(layout_.jet3), true);
        add_table(u"MSysRelationships", relationships_columns(), true);
        add_objects_indexes();
        if (layout_.ace()) add_complex_type_tables();
        for (const Table& t : schema_.tables) add_user_table(t);
        for (const LinkedTable& link : schema_.linked_tables) {
            if (link.connect.empty()) continue;
            add_user_table({link.name, link.columns, link.indexes});
            tables_.back().catalog_flags = object_flag::odbc_link;
            tables_.back().odbc_link = &link;
        }
        for (const Relationship& r : schema_.relationships) add_relationship_indexes(r);
        add_catalog_rows();
        add_query_rows();
        add_relationship_rows();

        RowPacker maps(store_, 0, false, map_page);
        Bytes global_map{inline_map, 0, 0, 0, 0};  // no free pages
        global_map.resize(5 + layout_.usage_bitmap_bytes, 0);
        maps.add(global_map);
        for (TableWork& t : tables_) write_table_contents(t, maps);
        for (TableWork& t : tables_) write_definition(t);
        if (layout_.ace() && !schema_.password.empty()) {
            const std::uint32_t key = schema_.encoding_key != 0 ? schema_.encoding_key : default_ace_key;
            const AceEncryptor encryptor = ace_encryptor(schema_.ace_encryption, schema_.password, key,
                                                         schema_.format == Format::ace12);
            write_header_page(store_.page(header), layout_, schema_, key, encryptor.encryption_info);
            for (std::uint32_t n = 1; n < store_.count(); ++n) encryptor.encrypt_page(n, store_.page(n));
        } else {
            write_header_page(store_.page(header), layout_, schema_, schema_.encoding_key, {});
            if (schema_.encoding_key != 0) encode_pages();
        }
        return store_.file_bytes();
    }

private:
    TableWork& add_table(std::u16string name, const std::vector<Column>& columns, bool core_system,
                         std::uint32_t catalog_flags = object_flag::system) {
        TableWork t;
        t.catalog_flags = catalog_flags;
        t.layout.name = std::move(name);
        t.layout.core_system = core_system;
        t.layout.columns = lay_out_columns(layout_, columns, core_system);
        t.tdef_page = store_.allocate();
        tables_.push_back(std::move(t));
        return tables_.back();
    }

    TableWork& table(std::u16string_view name) {
        for (auto& t : tables_) {
            if (folded(t.layout.name) == folded(name)) return t;
        }
        throw std::invalid_argument("a relationship names a table the schema does not hold");
    }

    std::uint8_t index_flags(bool unique, bool ignore_nulls, bool required) const {
        std::uint8_t flags = layout_.jet3 ? 0 : index_flag::jet4;
        if (unique) flags |= index_flag::unique;
        if (ignore_nulls) flags |= index_flag::ignore_nulls;
        if (required) flags |= index_flag::required;
        return flags;
    }

    void add_logical(TableWork& t, LogicalIndex index) {
        index.number = t.next_index_number++;
        t.layout.logical_indexes.push_back(std::move(index));
    }

    void add_objects_indexes() {
        TableWork& objects = tables_.front();
        const std::uint8_t flags = index_flags(true, false, false);
        objects.layout.real_indexes.push_back({{{objects_column::parent_id, false}, {objects_column::name, false}}, flags});
        objects.layout.real_indexes.push_back({{{objects_column::id, false}}, flags});
        add_logical(objects, {u"ParentIdName", 0, 0, logical_index_type::ordinary});
        add_logical(objects, {u"Id", 0, 1, logical_index_type::primary});
    }

    void add_user_table(const Table& t) {
        if (t.name.empty() || t.name.size() > 64) throw std::invalid_argument("a table name has 1 to 64 characters");
        for (const auto& other : tables_) {
            if (folded(other.layout.name) == folded(t.name)) throw std::invalid_argument("two tables share a name");
        }
        const std::size_t at = tables_.size();
        add_table(t.name, t.columns, false,
                  (t.hidden ? object_flag::hidden : 0u) | (t.system ? object_flag::system : 0u));
        tables_[at].properties = property_blob(layout_, t.properties, column_properties(t));
        for (const Column& c : t.columns) {
            if (c.complex != ComplexKind::none) add_complex_column(at, c);
        }
        TableWork& work = tables_[at];
        for (const Index& index : t.indexes) {
            RealIndex real;
            for (const IndexColumn& c : index.columns) real.keys.emplace_back(work.layout.column(c.column).number, c.descending);
            if (real.keys.empty() || real.keys.size() > 10) throw std::invalid_argument("an index has 1 to 10 columns");
            real.flags = index_flags(index.primary || index.unique, index.ignore_nulls, index.primary || index.required);
            work.layout.real_indexes.push_back(real);
            add_logical(work, {index.name, 0, static_cast<std::int32_t>(work.layout.real_indexes.size() - 1),
                               index.primary ? logical_index_type::primary : logical_index_type::ordinary});
        }
        for (const auto& row : t.rows) {
            if (row.size() != t.columns.size()) throw std::invalid_argument("a row has a value for every column");
        }
        work.rows = t.rows;
    }

    // The real index of `t` on exactly these ascending columns, made when there is none.
    std::int32_t real_index_on(TableWork& t, const std::vector<std::uint16_t>& columns, bool unique) {
        std::vector<std::pair<std::uint16_t, bool>> keys;
        for (auto c : columns) keys.emplace_back(c, false);
        for (std::size_t i = 0; i < t.layout.real_indexes.size(); ++i) {
            if (t.layout.real_indexes[i].keys == keys) return static_cast<std::int32_t>(i);
        }
        t.layout.real_indexes.push_back({keys, index_flags(unique, false, false)});
        return static_cast<std::int32_t>(t.layout.real_indexes.size() - 1);
    }

    // An enforced relationship gives the foreign table an index named after it and the primary table a
    // hidden ".r" index, each pointing at the other (3.9).
    void add_relationship_indexes(const Relationship& r) {
        if (r.columns.empty()) throw std::invalid_argument("a relationship joins at least one column pair");
        TableWork& primary = table(r.primary_table);
        TableWork& foreign = table(r.foreign_table);
        std::vector<std::uint16_t> primary_columns, foreign_columns;
        for (const auto& [p, f] : r.columns) {
            primary_columns.push_back(primary.layout.column(p).number);
            foreign_columns.push_back(foreign.layout.column(f).number);
        }
        if ((r.attributes & not_enforced) != 0) return;
        const std::uint8_t updates = (r.attributes & cascade_updates) != 0 ? 1 : 0;
        const std::uint8_t deletes = (r.attributes & cascade_deletes) != 0 ? 1 : (r.attributes & cascade_null) != 0 ? 2 : 0;
        const std::int32_t foreign_real = real_index_on(foreign, foreign_columns, false);
        const std::int32_t primary_real = real_index_on(primary, primary_columns, true);
        const std::int32_t foreign_number = foreign.next_index_number;
        const std::int32_t primary_number = &primary == &foreign ? foreign_number + 1 : primary.next_index_number;
        add_logical(foreign, {r.name, 0, foreign_real, logical_index_type::foreign, 2, primary_number,
                              primary.tdef_page, updates, deletes});
        std::u16string hidden_name = u".r";
        hidden_name.push_back(static_cast<char16_t>(u'A' + primary.relation_names % 26));
        if (primary.relation_names >= 26) hidden_name += std::u16string(primary.relation_names / 26, u'A');
        ++primary.relation_names;
        add_logical(primary, {hidden_name, 0, primary_real, logical_index_type::foreign, 1, foreign_number,
                              foreign.tdef_page, updates, deletes});
    }

    std::uint32_t next_id() { return catalog_id::first_numbered + numbered_++; }

    void add_object(std::int32_t id, std::int32_t parent, std::u16string name, std::int16_t type,
                    std::uint32_t flags, Bytes properties = {}) {
        std::vector<Value> row(objects_column::count);
        row[objects_column::id] = integer(id);
        row[objects_column::parent_id] = integer(parent);
        row[objects_column::name] = std::move(name);
        row[objects_column::type] = integer(type);
        row[objects_column::date_create] = schema_.created;
        row[objects_column::date_update] = schema_.created;
        row[objects_column::flags] = integer(static_cast<std::int32_t>(flags));
        if (!properties.empty()) row[objects_column::lv_prop] = std::vector<std::uint8_t>(std::move(properties));
        tables_.front().rows.push_back(std::move(row));
    }

    // MSysComplexColumns and the type tables every ACE file holds (12.1, 12.2).
    void add_complex_type_tables() {
        std::vector<Column> columns{system_column(u"ColumnName", ColumnType::text),
                                    system_column(u"ComplexID", ColumnType::long_integer),
                                    system_column(u"ComplexTypeObjectID", ColumnType::long_integer),
                                    system_column(u"ConceptualTableID", ColumnType::long_integer),
                                    system_column(u"FlatTableID", ColumnType::long_integer)};
        columns[1].auto_number = true;
        complex_columns_ = tables_.size();
        add_table(u"MSysComplexColumns", columns, false);
        TableWork& complex = tables_.back();
        complex.layout.real_indexes.push_back({{{1, false}}, index_flags(true, false, true)});
        add_logical(complex, {u"IdxID", 0, 0, logical_index_type::primary});
        for (const ComplexTypeTable& type : complex_type_tables()) {
            type_tables_.push_back(tables_.size());
            add_table(std::u16string(type.name), type.columns, false, complex_type_table_flags);
            if (type.attachment) {
                for (ColumnLayout& c : tables_.back().layout.columns) c.ext_flags |= extended_flag::attachment;
            }
        }
    }

    // The type table that gives a complex column its kind: its name says which.
    std::size_t type_table_of(const Column& c) const {
        const std::u16string wanted = complex_type_table_name(c);
        for (const std::size_t t : type_tables_) {
            if (tables_[t].layout.name == wanted) return t;
        }
        throw std::invalid_argument("a multi-value column has an element type ACE does not offer");
    }

    // The flat table holding a complex column's values, its MSysComplexColumns row, and the unique index
    // Access adds on the column in the owning table (12.3, 12.4).
    void add_complex_column(std::size_t owner, const Column& c) {
        const std::size_t type = type_table_of(c);
        const auto id = static_cast<std::uint32_t>(++complex_count_);
        char hex[33];
        std::snprintf(hex, sizeof hex, "%032X", id);
        const std::u16string suffix(hex, hex + 32);
        std::vector<Column> columns;
        for (const ColumnLayout* value : tables_[type].layout.by_number()) {
            Column v = system_column(value->name, value->type);
            v.size = value->type == ColumnType::text ? (c.complex == ComplexKind::multi_value && c.size != 0 ? c.size : 255) : 0;
            v.precision = c.precision;
            v.scale = c.scale;
            columns.push_back(v);
        }
        Column key = system_column(tables_[owner].layout.name + u"_" + c.name, ColumnType::long_integer);
        key.auto_number = true;
        columns.push_back(key);
        columns.push_back(system_column(u"_" + c.name, ColumnType::long_integer));
        const std::size_t flat = tables_.size();
        add_table(u"f_" + suffix + u"_" + c.name, columns, false, flat_table_flags);
        TableLayout& layout = tables_[flat].layout;
        const auto value_count = static_cast<std::uint16_t>(columns.size() - 2);
        for (ColumnLayout& l : layout.columns) {
            if (l.number < value_count) l.ext_flags |= tables_[type].layout.columns.front().ext_flags;
            if (l.number == value_count) l.ext_flags |= extended_flag::flat_key;
            if (l.number == value_count + 1) l.ext_flags |= extended_flag::flat_owner_key;
        }
        layout.real_indexes.push_back({{{value_count, false}}, index_flags(true, false, true)});
        layout.real_indexes.push_back({{{static_cast<std::uint16_t>(value_count + 1), false}}, index_flags(false, false, false)});
        add_logical(tables_[flat], {u"MSysComplexPKIndex", 0, 0, logical_index_type::primary});
        add_logical(tables_[flat], {u"_" + c.name, 0, 1, logical_index_type::ordinary});

        tables_[complex_columns_].rows.push_back({c.name, integer(id), integer(tables_[type].tdef_page),
                                                  integer(tables_[owner].tdef_page), integer(tables_[flat].tdef_page)});
        TableWork& owning = tables_[owner];
        owning.catalog_flags |= complex_table_flag;
        for (ColumnLayout& l : owning.layout.columns) {
            if (l.name == c.name) l.complex_id = id;
        }
        RealIndex unique{{{owning.layout.column(c.name).number, false}}, index_flags(true, false, false)};
        unique.complex_marker = 0x02;
        owning.layout.real_indexes.push_back(unique);
        add_logical(owning, {c.name + u"_" + suffix, 0, static_cast<std::int32_t>(owning.layout.real_indexes.size() - 1),
                             logical_index_type::ordinary});
    }

    // The source of a linked table, on the catalog row just added (8.2).
    void set_link_values(const LinkedTable& link) {
        std::vector<Value>& row = tables_.front().rows.back();
        if (!link.database.empty()) row[objects_column::database] = link.database;
        if (!link.connect.empty()) row[objects_column::connect] = link.connect;
        row[objects_column::foreign_name] = link.foreign_name.empty() ? link.name : link.foreign_name;
    }

    std::vector<NamedProperties> column_properties(const Table& t) const {
        std::vector<NamedProperties> out;
        for (const Column& c : t.columns) {
            NamedProperties p{c.name, c.properties};
            const bool text = c.type == ColumnType::text || c.type == ColumnType::memo;
            const bool given = std::any_of(p.properties.begin(), p.properties.end(),
                                           [](const Property& q) { return q.name == u"UnicodeCompression"; });
            // Access writes this property for every Text and Memo column of Jet 4 and ACE files.
            if (text && !layout_.jet3 && !given)
                p.properties.push_back(Property::boolean(u"UnicodeCompression", c.unicode_compression));
            if (!c.expression.empty()) {  // a calculated column's expression and result type (13.1)
                p.properties.push_back(Property::memo(u"Expression", c.expression));
                p.properties.push_back(Property::byte(u"ResultType", static_cast<std::uint8_t>(c.type)));
            }
            out.push_back(std::move(p));
        }
        return out;
    }

    void add_catalog_rows() {
        const auto root = catalog_id::root;
        add_object(catalog_id::tables, root, u"Tables", object_type::container, object_flag::system);
        add_object(catalog_id::databases, root, u"Databases", object_type::container, object_flag::system);
        add_object(catalog_id::relationships, root, u"Relationships", object_type::container, object_flag::system);
        std::vector<std::u16string> containers{u"Forms", u"Reports", u"Scripts", u"Modules", u"SysRel"};
        if (!layout_.jet3) containers.push_back(u"DataAccessPages");
        for (const auto& c : containers)
            add_object(static_cast<std::int32_t>(next_id()), root, c, object_type::container, 0);
        const std::u16string version = layout_.jet3 ? u"07.53" : layout_.ace() ? u"09.50" : u"08.50";
        add_object(catalog_id::database_object, catalog_id::databases, u"MSysDb", object_type::database,
                   object_flag::system, property_blob(layout_, {Property::text(u"AccessVersion", version)}, {}));
        for (const TableWork& t : tables_) {
            add_object(static_cast<std::int32_t>(t.tdef_page), catalog_id::tables, t.layout.name,
                       t.odbc_link != nullptr ? object_type::odbc_link : object_type::table, t.catalog_flags,
                       t.properties);
            if (t.odbc_link != nullptr) set_link_values(*t.odbc_link);
        }
        for (const LinkedTable& link : schema_.linked_tables) {
            if (!link.connect.empty()) continue;
            add_object(static_cast<std::int32_t>(next_id()), catalog_id::tables, link.name, object_type::access_link,
                       object_flag::access_link);
            set_link_values(link);
        }
        for (const Query& q : schema_.queries) {
            query_ids_.push_back(static_cast<std::int32_t>(next_id()));
            add_object(query_ids_.back(), catalog_id::tables, q.name, object_type::query,
                       q.flags, property_blob(layout_, q.properties, {}));
        }
        for (const Relationship& r : schema_.relationships) {
            add_object(static_cast<std::int32_t>(next_id()), catalog_id::relationships, r.name,
                       object_type::relationship, 0);
        }
    }

    void add_query_rows() {
        TableWork& queries = tables_[2];
        for (std::size_t i = 0; i < schema_.queries.size(); ++i) {
            std::vector<QueryRow> rows{{query_start, 0, {}, {}, {}}};
            rows.insert(rows.end(), schema_.queries[i].rows.begin(), schema_.queries[i].rows.end());
            rows.push_back({query_end, {}, {}, {}, {}});
            std::uint32_t order = 0;
            for (const QueryRow& r : rows) {
                ++order;
                std::vector<Value> row{integer(query_ids_[i]),
                                       integer(r.attribute),
                                       std::vector<std::uint8_t>{static_cast<std::uint8_t>(order >> 24),
                                                                 static_cast<std::uint8_t>(order >> 16),
                                                                 static_cast<std::uint8_t>(order >> 8),
                                                                 static_cast<std::uint8_t>(order)},
                                       text_or_null(r.name1),
                                       text_or_null(r.name2),
                                       text_or_null(r.expression),
                                       r.flag ? integer(*r.flag) : Value{}};
                if (!layout_.jet3) row.emplace_back();
                queries.rows.push_back(std::move(row));
            }
        }
    }

    void add_relationship_rows() {
        TableWork& relationships = tables_[3];
        for (const Relationship& r : schema_.relationships) {
            for (std::size_t i = 0; i < r.columns.size(); ++i) {
                relationships.rows.push_back({r.name, integer(static_cast<std::int32_t>(r.attributes)),
                                              integer(static_cast<std::int64_t>(r.columns.size())),
                                              integer(static_cast<std::int64_t>(i)), r.foreign_table,
                                              r.columns[i].second, r.primary_table, r.columns[i].first});
            }
        }
    }

    // An inline usage map (2.4) of `pages`.
    Bytes usage_map(std::vector<std::uint32_t> pages) const {
        std::sort(pages.begin(), pages.end());
        const std::uint32_t start = pages.empty() ? 0 : pages.front() & ~7u;
        std::size_t bytes = layout_.usage_bitmap_bytes;
        if (!pages.empty()) bytes = std::max<std::size_t>(bytes, (pages.back() - start) / 8 + 1);
        Bytes map{inline_map};
        put_u32(map, start);
        map.resize(5 + bytes, 0);
        for (auto p : pages) map[5 + (p - start) / 8] = static_cast<std::uint8_t>(map[5 + (p - start) / 8] | (1u << ((p - start) % 8)));
        return map;
    }

    void write_table_contents(TableWork& t, RowPacker& maps) {
        LongValueWriter long_values(store_);
        RowPacker rows(store_, t.tdef_page);
        const std::vector<const ColumnLayout*> columns = t.layout.by_number();
        for (const auto& row : t.rows) {
            t.addresses.push_back(rows.add(encode_row(layout_, t.layout, row, long_values)));
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if ((columns[i]->flags & column_flag::auto_number) != 0 && std::holds_alternative<std::int64_t>(row[i]))
                    t.layout.auto_number = std::max(t.layout.auto_number, static_cast<std::uint32_t>(std::get<std::int64_t>(row[i])));
            }
        }
        t.layout.row_count = static_cast<std::uint32_t>(t.rows.size());
        for (RealIndex& index : t.layout.real_indexes) {
            std::vector<IndexEntry> entries;
            for (std::size_t r = 0; r < t.rows.size(); ++r) {
                IndexEntry e{{}, t.addresses[r]};
                for (const auto& [number, descending] : index.keys)
                    put_key_part(e.key, columns[number]->type, t.rows[r][number], descending);
                entries.push_back(std::move(e));
            }
            const std::vector<std::uint32_t> pages = write_index(store_, t.tdef_page, std::move(entries));
            index.root_page = pages.front();
            index.usage_map = maps.add(usage_map(pages));
        }
        t.layout.owned_pages = maps.add(usage_map(rows.pages()));
        t.layout.free_pages = maps.add(usage_map(rows.pages()));
        for (const ColumnLayout& c : t.layout.columns) {
            if (!c.is_long_value()) continue;
            t.layout.long_value_maps.push_back({c.number, maps.add(usage_map(long_values.pages())), maps.add(usage_map({}))});
        }
    }

    // The definition on its reserved page, continued on new pages when it is longer (3.1).
    void write_definition(TableWork& t) {
        const Bytes bytes = table_definition_bytes(layout_, t.layout);
        const std::size_t page_size = layout_.page_size, header = 8;
        std::uint32_t current = t.tdef_page;
        std::size_t at = 0;
        for (bool first = true;; first = false) {
            std::span<std::uint8_t> page = store_.page(current);
            std::size_t room = page_size;
            if (!first) {
                page[0] = 0x02;
                page[1] = 0x01;
                if (layout_.jet3) {
                    page[2] = 'V';
                    page[3] = 'C';
                }
                room -= header;
            }
            const std::size_t take = std::min(room, bytes.size() - at);
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + take),
                      page.begin() + static_cast<std::ptrdiff_t>(page_size - room));
            at += take;
            if (!layout_.jet3) set_u16(page, 2, static_cast<std::uint32_t>(room - take));
            if (at == bytes.size()) return;
            const std::uint32_t next = store_.allocate();
            set_u32(store_.page(current), 4, next);
            current = next;
        }
    }

    // Every page after the header under RC4 with the key XORed with the page number (1.6).
    void encode_pages() {
        for (std::uint32_t n = 1; n < store_.count(); ++n) {
            Bytes key;
            put_u32(key, schema_.encoding_key ^ n);
            rc4_apply(key, store_.page(n));
        }
    }

    const Schema& schema_;
    const FileLayout& layout_;
    PageStore store_;
    std::vector<TableWork> tables_;  // the four core system tables, then the schema's tables
    std::vector<std::int32_t> query_ids_;
    std::size_t complex_columns_ = 0;     // MSysComplexColumns in tables_ (ACE)
    std::vector<std::size_t> type_tables_;  // the MSysComplexType_* tables in tables_
    std::uint32_t complex_count_ = 0;
    std::uint32_t numbered_ = 0;
};

}  // namespace

Query Query::select(std::u16string name, std::vector<std::u16string> from, std::vector<std::u16string> columns,
                    std::optional<std::u16string> where) {
    Query q;
    q.name = std::move(name);
    q.rows.push_back({1, 1, {}, {}, {}});  // query type: select (11.3)
    for (auto& t : from) q.rows.push_back({5, {}, std::move(t), {}, {}});
    for (auto& c : columns) q.rows.push_back({6, 0, {}, {}, std::move(c)});
    if (where) q.rows.push_back({8, {}, {}, {}, std::move(where)});
    return q;
}

std::vector<std::uint8_t> build_database(const Schema& schema) {
    try {
        return DatabaseBuilder(schema).build();
    } catch (const std::bad_variant_access&) {
        throw std::invalid_argument("a value does not suit its column or property");
    }
}

void write_database(const Schema& schema, const std::filesystem::path& path) {
    const std::vector<std::uint8_t> bytes = build_database(schema);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write the database file " + path.string());
}

}  // namespace qz::writer

#include "platform/reader/system_tables/database_catalog.hpp"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "platform/errors.hpp"
#include "platform/field_types.hpp"
#include "platform/files/native_path.hpp"
#include "platform/reader/pages/byte_view.hpp"
#include "platform/reader/records/column_type.hpp"
#include "platform/reader/records/index_leaf_walk.hpp"
#include "platform/reader/records/long_value.hpp"
#include "platform/reader/records/table_scan.hpp"
#include "platform/reader/system_tables/name_match.hpp"
#include "platform/reader/system_tables/query_rows.hpp"

namespace qz::jet {
namespace {

constexpr std::uint32_t table_page_mask = 0x00FFFFFF;  // a local table's id is its first TDEF page (8.5)
constexpr int max_link_depth = 8;                      // links to links: a chain longer than this loops

std::uint64_t slot_key(std::uint32_t page, std::uint8_t row) { return std::uint64_t{page} << 8 | row; }

ComplexColumn complex_kind_of(std::u16string_view type_table) {
    struct Known {
        std::u16string_view name;
        ComplexColumn column;
    };
    static constexpr Known known[] = {
        {u"MSysComplexType_Attachment", {ComplexKind::attachment, engine::field_type::attachment}},
        // A multi-value column's type is its flat table's (multi_value_type), whatever the type table says.
        {u"MSysComplexType_UnsignedByte", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_Short", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_Long", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_IEEESingle", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_IEEEDouble", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_GUID", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_Decimal", {ComplexKind::multi_value, 0}},
        {u"MSysComplexType_Text", {ComplexKind::multi_value, 0}},
    };
    for (const auto& k : known) {
        if (type_table == k.name) return k.column;
    }
    if (type_table.starts_with(u"MSysComplexTypeVH_")) return {ComplexKind::version_history, 0};
    return {};
}

std::u16string odbc_source_name(const CatalogObject& link) {
    const std::u16string& connect = link.link->connect;
    for (std::size_t at = 0; at < connect.size();) {
        const std::size_t end = std::min(connect.find(u';', at), connect.size());
        const std::u16string_view item(connect.data() + at, end - at);
        if (item.size() > 4 && same_name(item.substr(0, 4), u"DSN=")) return std::u16string(item.substr(4));
        at = end + 1;
    }
    return link.name;
}

}  // namespace

std::shared_ptr<Catalog> Catalog::open(const std::u16string& path, std::u16string_view password,
                                       int link_depth) {
    return std::shared_ptr<Catalog>(new Catalog(std::make_unique<PageFile>(path, password), link_depth));
}

Catalog::Catalog(std::unique_ptr<PageFile> file, int link_depth)
    : file_(std::move(file)),
      link_depth_(link_depth),
      objects_table_(read_table_definition(*file_, catalog_definition_page)),
      objects_(read_catalog_objects(*file_, objects_table_)) {
    require_rows_of_every_database(*file_, objects_);
}

std::int32_t Catalog::container_id(std::u16string_view name) const {
    for (const auto& o : objects_) {
        if (o.parent_id == catalog_root_id && o.type == object_type::container && o.name == name) return o.id;
    }
    return 0;
}

const std::vector<const CatalogObject*>& Catalog::index_order() const {
    const std::lock_guard lock(lazy_mutex_);
    if (order_) return *order_;
    const auto by_name =
        std::find_if(objects_table_.logical_indexes.begin(), objects_table_.logical_indexes.end(),
                     [](const LogicalIndex& i) { return i.name == u"ParentIdName"; });
    if (by_name == objects_table_.logical_indexes.end()) {
        throw errors::database_damaged(file_->path(), "the catalog has no ParentIdName index");
    }
    const std::uint32_t root = objects_table_.real_indexes[by_name->real_index].root_page;
    PageBytes current;
    const PageSource pages = [&](std::uint32_t number) -> std::span<const std::uint8_t> {
        current = file_->page(number);
        return *current;
    };
    const std::vector<RowAddress> pointers =
        walk_index_leaves(pages, root, file_->format().jet3, file_->path(), file_->page_count());

    // The objects are in physical order, so their slots are sorted and each row the index points at is found
    // by halving.
    std::vector<std::uint64_t> slots;
    slots.reserve(objects_.size());
    for (const auto& o : objects_) slots.push_back(slot_key(o.slot.page, o.slot.row));
    std::vector<const CatalogObject*> order;
    order.reserve(objects_.size());
    for (const RowAddress& p : pointers) {
        const std::uint64_t key = slot_key(p.page, p.row);
        const auto found = std::lower_bound(slots.begin(), slots.end(), key);
        if (found == slots.end() || *found != key)
            throw errors::database_damaged(file_->path(),
                                           "the catalog index names a row that does not exist");
        order.push_back(&objects_[static_cast<std::size_t>(found - slots.begin())]);
    }
    if (order.size() != objects_.size())
        throw errors::database_damaged(file_->path(), "the catalog index misses catalog rows");
    order_ = std::move(order);
    return *order_;
}

std::vector<const CatalogObject*> Catalog::children(std::u16string_view container,
                                                    std::initializer_list<std::int16_t> types) const {
    const std::int32_t parent = container_id(container);
    std::vector<const CatalogObject*> found;
    if (parent == 0) return found;
    for (const CatalogObject* o : index_order()) {
        if (o->parent_id == parent && std::find(types.begin(), types.end(), o->type) != types.end())
            found.push_back(o);
    }
    return found;
}

std::vector<const CatalogObject*> Catalog::tables() const {
    std::vector<const CatalogObject*> listed =
        children(u"Tables", {object_type::local_table, object_type::odbc_table, object_type::linked_table});
    load_complex_columns();
    std::unordered_set<std::int32_t> flat_tables;
    for (const auto& c : *complex_) flat_tables.insert(c.second.flat_table);
    std::erase_if(listed, [&](const CatalogObject* o) {
        return o->type == object_type::local_table && flat_tables.contains(o->id);
    });
    return listed;
}

std::vector<const CatalogObject*> Catalog::queries() const {
    return children(u"Tables", {object_type::query});
}

const CatalogObject* Catalog::find_table(std::u16string_view name) const {
    const std::int32_t tables_id = container_id(u"Tables");
    const CatalogObject* loose = nullptr;
    for (const auto& o : objects_) {
        if (o.parent_id != tables_id ||
            (o.type != object_type::local_table && o.type != object_type::odbc_table &&
             o.type != object_type::linked_table)) {
            continue;
        }
        if (o.name == name) return &o;
        if (loose == nullptr && same_name(o.name, name)) loose = &o;
    }
    return loose;
}

std::optional<TableDefinition> Catalog::system_table(std::u16string_view name) const {
    const CatalogObject* table = find_table(name);
    if (table == nullptr || table->type != object_type::local_table) return std::nullopt;
    return read_table_definition(*file_, static_cast<std::uint32_t>(table->id) & table_page_mask);
}

void Catalog::load_complex_columns() const {
    const std::lock_guard lock(lazy_mutex_);
    if (complex_) return;
    std::map<std::uint32_t, ComplexRow> rows;
    // Complex columns exist from ACE 12 on (format version 2).
    const std::optional<TableDefinition> table =
        file_->format().version >= 2 ? system_table(u"MSysComplexColumns") : std::nullopt;
    if (table) {
        const auto& id = required_column(*file_, *table, u"ComplexID");
        const auto& type_object = required_column(*file_, *table, u"ComplexTypeObjectID");
        const auto& flat_table = required_column(*file_, *table, u"FlatTableID");
        scan_table(*file_, *table, [&](RowAddress, const Record& record) {
            rows[static_cast<std::uint32_t>(record.integer(id).value_or(0))] = {
                static_cast<std::int32_t>(record.integer(type_object).value_or(0)),
                static_cast<std::int32_t>(record.integer(flat_table).value_or(0))};
        });
    }
    complex_ = std::move(rows);
}

ComplexColumn Catalog::complex_column(std::uint32_t complex_id) const {
    load_complex_columns();
    const auto row = complex_->find(complex_id);
    if (row == complex_->end()) return {};
    for (const auto& o : objects_) {
        if (o.id == row->second.type_object && o.type == object_type::local_table) {
            ComplexColumn column = complex_kind_of(o.name);
            column.flat_table = row->second.flat_table;
            if (column.kind == ComplexKind::multi_value) column.type = multi_value_type(column.flat_table);
            if (column.type == 0) column.kind = ComplexKind::unknown;
            return column;
        }
    }
    return {};
}

std::int16_t Catalog::multi_value_type(std::int32_t flat_table) const {
    // The values live in the flat table's Value column; its type, not the type table's name, decides.
    const auto page = static_cast<std::uint32_t>(flat_table) & table_page_mask;
    if (!is_table_definition_page(*file_, page)) return 0;
    const TableDefinition flat = read_table_definition(*file_, page);
    for (const auto& c : flat.columns) {
        if (c.name != u"Value") continue;
        switch (c.type) {
            case file_type::byte:
                return engine::field_type::complex_byte;
            case file_type::integer:
                return engine::field_type::complex_integer;
            case file_type::long_integer:
                return engine::field_type::complex_long;
            case file_type::single:
                return engine::field_type::complex_single;
            case file_type::double_float:
                return engine::field_type::complex_double;
            case file_type::guid:
                return engine::field_type::complex_guid;
            case file_type::decimal:
                return engine::field_type::complex_decimal;
            case file_type::text:
            case file_type::memo:
                return engine::field_type::complex_text;
            default:
                return 0;
        }
    }
    return 0;
}

std::vector<PropertyEntry> Catalog::multi_value_properties(std::uint32_t complex_id) const {
    const ComplexColumn column = complex_column(complex_id);
    if (column.kind != ComplexKind::multi_value) return {};
    for (const auto& o : objects_) {
        if (o.id != column.flat_table || o.type != object_type::local_table) continue;
        for (auto& map : properties(o)) {
            if (same_name(map.name, u"Value")) return std::move(map.entries);
        }
    }
    return {};
}

const CatalogObject* Catalog::find_query(std::u16string_view name) const {
    const std::lock_guard lock(lazy_mutex_);
    // Indexed once: compiling every query of a database looks each one up.
    if (!query_names_) {
        query_names_.emplace();
        for (const CatalogObject* query : queries()) query_names_->add(query->name, query);
    }
    const CatalogObject* const* found = query_names_->find(name);
    return found == nullptr ? nullptr : *found;
}

const std::vector<query::QueryRow>& Catalog::query_rows(std::int32_t object_id) const {
    const std::lock_guard lock(lazy_mutex_);
    if (!query_rows_) {
        const std::optional<TableDefinition> table = system_table(u"MSysQueries");
        query_rows_ = table ? read_query_rows(*file_, *table)
                            : std::unordered_map<std::int32_t, std::vector<query::QueryRow>>{};
    }
    static const std::vector<query::QueryRow> no_rows;
    const auto found = query_rows_->find(object_id);
    return found == query_rows_->end() ? no_rows : found->second;
}

std::vector<RelationshipModel> Catalog::relationships() const {
    std::vector<RelationshipModel> groups;
    const std::optional<TableDefinition> table = system_table(u"MSysRelationships");
    if (!table) return groups;
    const auto& name = required_column(*file_, *table, u"szRelationship");
    const auto& grbit = required_column(*file_, *table, u"grbit");
    const auto& icolumn = required_column(*file_, *table, u"icolumn");
    const auto& object = required_column(*file_, *table, u"szObject");
    const auto& column = required_column(*file_, *table, u"szColumn");
    const auto& referenced_object = required_column(*file_, *table, u"szReferencedObject");
    const auto& referenced_column = required_column(*file_, *table, u"szReferencedColumn");
    std::vector<std::vector<std::pair<std::int64_t, RelationshipModel::Pair>>> pairs;
    // Groups by name key, so that the time stays linear in the number of rows whatever the file holds.
    std::unordered_map<std::u16string, std::size_t> group_of;
    scan_table(*file_, *table, [&](RowAddress, const Record& record) {
        const std::u16string relation = record.text(name).value_or(u"");
        const auto [group, added] = group_of.try_emplace(name_key(relation), groups.size());
        if (added) {
            RelationshipModel model;
            model.name = relation;
            model.table = record.text(referenced_object).value_or(u"");
            model.foreign_table = record.text(object).value_or(u"");
            model.attributes = static_cast<std::int32_t>(record.integer(grbit).value_or(0));
            groups.push_back(std::move(model));
            pairs.emplace_back();
        }
        pairs[group->second].push_back(
            {record.integer(icolumn).value_or(0),
             {record.text(referenced_column).value_or(u""), record.text(column).value_or(u"")}});
    });
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::stable_sort(pairs[g].begin(), pairs[g].end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& p : pairs[g]) groups[g].fields.push_back(std::move(p.second));
    }
    // The order of the relationship rows of MSysObjects; relationships without such a row follow.
    std::vector<RelationshipModel> ordered;
    for (const CatalogObject* o : children(u"Relationships", {object_type::relationship})) {
        const auto found = group_of.find(name_key(o->name));
        if (found == group_of.end() || groups[found->second].name.empty()) continue;
        ordered.push_back(std::move(groups[found->second]));
        groups[found->second].name.clear();
    }
    for (auto& g : groups) {
        if (!g.name.empty()) ordered.push_back(std::move(g));
    }
    return ordered;
}

std::shared_ptr<const Catalog> Catalog::linked_catalog(const CatalogObject& link) const {
    std::u16string stored = link.link->database;
    std::replace(stored.begin(), stored.end(), u'\\', u'/');
    const std::filesystem::path as_stored = files::native_path(stored);
    const std::filesystem::path beside =
        files::native_path(file_->path()).parent_path() / as_stored.filename();
    std::error_code ignored;
    std::filesystem::path chosen;
    if (!stored.empty() && std::filesystem::exists(as_stored, ignored)) {
        chosen = as_stored;
    } else if (!stored.empty() && as_stored.has_filename() && std::filesystem::exists(beside, ignored)) {
        chosen = beside;
    } else {
        throw errors::file_not_found(stored);
    }
    const std::lock_guard lock(lazy_mutex_);
    if (const auto identity = files::identity_of(chosen)) {
        if (const auto open = linked_.find(*identity); open != linked_.end()) return open->second;
    }
    if (link_depth_ >= max_link_depth)
        throw errors::database_damaged(file_->path(), "linked tables link to each other in a loop");
    auto catalog = Catalog::open(files::text_from_native(chosen.native()), u"", link_depth_ + 1);
    linked_.emplace(catalog->file().identity(), catalog);
    return catalog;
}

std::vector<files::FileIdentity> Catalog::files_read() const {
    std::vector<files::FileIdentity> read{file_->identity()};
    const std::lock_guard lock(lazy_mutex_);
    for (const auto& [identity, linked] : linked_) {
        for (const files::FileIdentity& source : linked->files_read()) {
            if (std::find(read.begin(), read.end(), source) == read.end()) read.push_back(source);
        }
    }
    return read;
}

DefinitionLocation Catalog::definition_location(const CatalogObject& table) const {
    const auto page = static_cast<std::uint32_t>(table.id) & table_page_mask;
    if (table.type == object_type::local_table) return {shared_from_this(), &table, page};
    if (table.type == object_type::odbc_table) {
        // Access keeps a copy of the remote table's definition; without one the server would be needed.
        if (static_cast<std::uint32_t>(table.id) == page && is_table_definition_page(*file_, page)) {
            return {shared_from_this(), &table, page};
        }
        throw errors::odbc_connection_failed(odbc_source_name(table));
    }
    const std::shared_ptr<const Catalog> linked = linked_catalog(table);
    const std::u16string& foreign_name = table.link->foreign_name;
    const std::u16string& wanted = foreign_name.empty() ? table.name : foreign_name;
    const CatalogObject* target = linked->find_table(wanted);
    if (target == nullptr) {
        throw errors::object_not_found(wanted, linked->file().path());
    }
    return linked->definition_location(*target);
}

TableDefinition Catalog::definition(const DefinitionLocation& location, DefinitionDetail detail) const {
    return read_table_definition(location.catalog->file(), location.definition_page, detail);
}

std::vector<PropertyMap> Catalog::properties(const CatalogObject& object) const {
    if (object.properties_value.empty()) return {};
    std::uint64_t budget = long_value_capacity(*file_);
    const std::vector<std::uint8_t> blob = read_long_value(*file_, object.properties_value, budget);
    return parse_property_blob(ByteView(blob, file_->path()), file_->format().jet3,
                               file_->format().code_page);
}

}  // namespace qz::jet

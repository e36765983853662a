#pragma once
// The catalog of one database file: its objects in the order of MSysObjects' ParentIdName index, the
// relationships, the complex columns, and where each table's definition lives (a linked table's in its
// source file). Parsed rows are kept for as long as the database is open; table definitions are not.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/file_identity.hpp"
#include "platform/query/query_fields.hpp"
#include "platform/reader/pages/page_file.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/reader/system_tables/catalog_objects.hpp"
#include "platform/reader/system_tables/name_match.hpp"
#include "platform/reader/system_tables/property_blob.hpp"

namespace qz::jet {

// One relationship from MSysRelationships (reference 10), its field pairs ordered by icolumn.
struct RelationshipModel {
    std::u16string name;
    std::u16string table;          // the primary ("one") side: szReferencedObject
    std::u16string foreign_table;  // the foreign ("many") side: szObject
    std::int32_t attributes = 0;   // grbit
    struct Pair {
        std::u16string name;          // szReferencedColumn
        std::u16string foreign_name;  // szColumn
    };
    std::vector<Pair> fields;
};

// What a complex column holds, from its type table (reference 12.2).
enum class ComplexKind { attachment, multi_value, version_history, unknown };
struct ComplexColumn {
    ComplexKind kind = ComplexKind::unknown;
    std::int16_t type = 0;        // the engine's type code (field_type::attachment ...); 0 when unknown
    std::int32_t flat_table = 0;  // the id of the table holding the values
};

class Catalog;

// Where a table's columns, indexes and properties are read: a catalog row in some (possibly other) file.
struct DefinitionLocation {
    std::shared_ptr<const Catalog> catalog;
    const CatalogObject* object = nullptr;
    std::uint32_t definition_page = 0;
};

class Catalog : public std::enable_shared_from_this<Catalog> {
  public:
    // Opens the database file and reads MSysObjects. `link_depth` counts linked files opened on the way
    // here, which bounds chains of links.
    static std::shared_ptr<Catalog> open(const std::u16string& path, std::u16string_view password,
                                         int link_depth = 0);

    const PageFile& file() const { return *file_; }
    // This file and the sources of linked tables opened so far, each once.
    std::vector<files::FileIdentity> files_read() const;
    bool jet3() const { return file_->format().jet3; }

    // Table definitions (local, linked, ODBC), flat tables of complex columns left out; queries; both in
    // ParentIdName order.
    std::vector<const CatalogObject*> tables() const;
    std::vector<const CatalogObject*> queries() const;
    std::vector<RelationshipModel> relationships() const;

    // The file and row holding the definition of `table`; 3024 for a missing link source, 3151 for an ODBC
    // link without a cached definition.
    DefinitionLocation definition_location(const CatalogObject& table) const;
    TableDefinition definition(const DefinitionLocation& location,
                               DefinitionDetail detail = DefinitionDetail::full) const;
    // The property maps of an object's LvProp; empty when it has none.
    std::vector<PropertyMap> properties(const CatalogObject& object) const;
    // What the complex column `complex_id` holds.
    ComplexColumn complex_column(std::uint32_t complex_id) const;
    // The properties of the value column of a multi-value column's flat table, which the engine shows as the
    // multi-value column's own (reference 12.5); empty when there are none.
    std::vector<PropertyEntry> multi_value_properties(std::uint32_t complex_id) const;
    // The saved query named `name`: the one spelt the same, else the first in order that differs only in
    // letter case; null when there is none.
    const CatalogObject* find_query(std::u16string_view name) const;
    // The MSysQueries rows of the query whose Id is `object_id`; those of every query are read at once, on
    // first use.
    const std::vector<query::QueryRow>& query_rows(std::int32_t object_id) const;
    // Runs `compile` on the saved queries compiled so far against this catalog, which does not change while
    // it is open. Sessions on other threads may share the catalog, so compilations take turns.
    template <class Compile>
    auto with_compiled_queries(Compile compile) const {
        const std::lock_guard lock(lazy_mutex_);
        return compile(compiled_queries_);
    }

  private:
    Catalog(std::unique_ptr<PageFile> file, int link_depth);

    std::int32_t container_id(std::u16string_view name) const;
    const std::vector<const CatalogObject*>& index_order() const;
    std::vector<const CatalogObject*> children(std::u16string_view container,
                                               std::initializer_list<std::int16_t> types) const;
    const CatalogObject* find_table(std::u16string_view name) const;
    std::optional<TableDefinition> system_table(std::u16string_view name) const;
    void load_complex_columns() const;
    std::int16_t multi_value_type(std::int32_t flat_table) const;
    std::shared_ptr<const Catalog> linked_catalog(const CatalogObject& link) const;

    std::unique_ptr<PageFile> file_;
    int link_depth_;
    TableDefinition objects_table_;
    CatalogObjects objects_;
    // Built on first use, under this lock: sessions on several threads may share one catalog. Recursive,
    // because filling one of them reads others.
    mutable std::recursive_mutex lazy_mutex_;
    mutable std::optional<std::vector<const CatalogObject*>> order_;
    struct ComplexRow {
        std::int32_t type_object = 0;
        std::int32_t flat_table = 0;
    };
    mutable std::optional<std::map<std::uint32_t, ComplexRow>> complex_;
    // One catalog per source file, however many spellings of its path the links use.
    mutable std::map<files::FileIdentity, std::shared_ptr<const Catalog>> linked_;
    mutable std::optional<std::unordered_map<std::int32_t, std::vector<query::QueryRow>>> query_rows_;
    mutable std::optional<NameIndex<const CatalogObject*>> query_names_;
    mutable query::CompiledQueries compiled_queries_;
};

}  // namespace qz::jet

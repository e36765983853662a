#include "platform/reader/engine/catalog_query_source.hpp"

#include <map>

#include "platform/reader/engine/table_reading.hpp"
#include "platform/reader/system_tables/name_match.hpp"

namespace qz::jet {
namespace {

// The tables and queries of one database as a query's compilation sees them. A table's fields are read as
// its own field collection reads them, so a field a query takes from a table equals the table's field.
class CatalogQuerySource final : public query::SourceCatalog {
  public:
    explicit CatalogQuerySource(const std::shared_ptr<const Catalog>& catalog) : catalog_(catalog) {}

    std::optional<std::vector<query::FieldDescription>> table_fields(
        const std::u16string& name) const override {
        if (!tables_) {
            tables_.emplace();
            for (const CatalogObject* table : catalog_->tables()) tables_->add(table->name, table);
        }
        const CatalogObject* const* found = tables_->find(name);
        if (found == nullptr) return std::nullopt;
        // Read once per table: a query may name the same table many times.
        auto cached = fields_.find(*found);
        if (cached == fields_.end()) {
            TableReading reading(catalog_->definition_location(**found));
            std::vector<FieldModel> fields;
            for (const ColumnDescriptor* column : listed_columns(reading.definition))
                fields.push_back(reading.field(*column));
            cached = fields_.emplace(*found, std::move(fields)).first;
        }
        return cached->second;
    }

    std::optional<std::vector<query::QueryRow>> query_rows(const std::u16string& name) const override {
        const CatalogObject* query = catalog_->find_query(name);
        if (query == nullptr) return std::nullopt;
        return catalog_->query_rows(query->id);
    }

    std::int32_t database_collating_order() const override { return catalog_->file().format().sort_order; }

  private:
    std::shared_ptr<const Catalog> catalog_;
    // The tables by name, so that a query naming many tables finds each at once.
    mutable std::optional<NameIndex<const CatalogObject*>> tables_;
    mutable std::map<const CatalogObject*, std::vector<FieldModel>> fields_;
};

}  // namespace

std::shared_ptr<const query::SourceCatalog> make_query_source(const std::shared_ptr<const Catalog>& catalog) {
    return std::make_shared<CatalogQuerySource>(catalog);
}

std::vector<FieldModel> saved_query_fields(const std::shared_ptr<const Catalog>& catalog,
                                           const query::SourceCatalog& source, const CatalogObject& query) {
    return catalog->with_compiled_queries([&](query::CompiledQueries& compiled) {
        return query::resolve_query_fields(query.name, catalog->query_rows(query.id), source, compiled);
    });
}

}  // namespace qz::jet

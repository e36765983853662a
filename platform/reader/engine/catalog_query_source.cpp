#include "platform/reader/engine/catalog_query_source.hpp"

#include <map>

#include "platform/reader/engine/file_database.hpp"
#include "platform/reader/system_tables/name_match.hpp"

namespace qz::jet {
namespace {

query::FieldDescription description_of(const engine::Field& field) {
    query::FieldDescription d;
    d.name = field.Name();
    d.type = field.Type();
    d.size = field.Size();
    d.attributes = field.Attributes();
    d.collating_order = field.CollatingOrder();
    d.ordinal_position = field.OrdinalPosition();
    d.default_value = field.DefaultValue();
    d.required = field.Required();
    d.allow_zero_length = field.AllowZeroLength();
    const auto properties = field.Properties();
    for (std::int16_t i = 0; i < properties->Count(); ++i) {
        const auto property = properties->Item(i);
        d.properties.emplace_back(property->Name(), property->Value());
    }
    return d;
}

// The tables and queries of one database as a query's compilation sees them. Tables are read through the
// database's own table collection, so a field a query takes from a table equals the table's field.
class CatalogQuerySource final : public query::SourceCatalog {
  public:
    explicit CatalogQuerySource(const std::shared_ptr<const Catalog>& catalog)
        : catalog_(catalog), database_(make_file_database(catalog)) {}

    std::optional<std::vector<query::FieldDescription>> table_fields(
        const std::u16string& name) const override {
        if (!tables_) tables_ = list_tables();
        const std::size_t* found = tables_->positions.find(name);
        if (found == nullptr) return std::nullopt;
        const std::size_t position = *found;
        // Read once per table: a query may name the same table many times.
        auto cached = fields_.find(position);
        if (cached == fields_.end()) {
            std::vector<query::FieldDescription> fields;
            const auto listed = tables_->listed[position]->Fields();
            for (std::int16_t i = 0; i < listed->Count(); ++i)
                fields.push_back(description_of(*listed->Item(i)));
            cached = fields_.emplace(position, std::move(fields)).first;
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
    // The table collection with its positions by name, so that a query naming many tables finds each at
    // once.
    struct Tables {
        std::vector<std::unique_ptr<engine::TableDef>> listed;
        NameIndex<std::size_t> positions;
    };
    Tables list_tables() const {
        Tables tables;
        const auto listed = database_->TableDefs();
        for (std::int16_t i = 0; i < listed->Count(); ++i) {
            tables.listed.push_back(listed->Item(i));
            tables.positions.add(tables.listed.back()->Name(), static_cast<std::size_t>(i));
        }
        return tables;
    }

    std::shared_ptr<const Catalog> catalog_;
    std::shared_ptr<engine::Database> database_;
    mutable std::optional<Tables> tables_;
    mutable std::map<std::size_t, std::vector<query::FieldDescription>> fields_;
};

}  // namespace

std::vector<FieldModel> saved_query_fields(const std::shared_ptr<const Catalog>& catalog,
                                           const CatalogObject& query) {
    const CatalogQuerySource source(catalog);
    return catalog->with_compiled_queries([&](query::CompiledQueries& compiled) {
        return query::resolve_query_fields(query.name, catalog->query_rows(query.id), source, compiled);
    });
}

}  // namespace qz::jet

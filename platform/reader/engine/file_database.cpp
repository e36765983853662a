#include "platform/reader/engine/file_database.hpp"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/reader/engine/catalog_query_source.hpp"
#include "platform/reader/engine/field_model.hpp"
#include "platform/reader/engine/indexed_collection.hpp"
#include "platform/reader/engine/table_reading.hpp"

namespace qz::jet {
namespace {

// Table attribute bits the engine reports (port page, "Catalog values").
constexpr std::uint32_t system_flags = 0x80000002;
constexpr std::uint32_t hidden_flag = 0x00000008;
constexpr std::int64_t hidden_attribute = 0x00000001;
constexpr std::int64_t attached_table = 0x40000000, attach_exclusive = 0x00010000;
constexpr std::int64_t attached_odbc = 0x20000000, attach_save_password = 0x00020000;

class FileProperty final : public engine::Property {
  public:
    explicit FileProperty(std::pair<std::u16string, engine::Variant> property)
        : property_(std::move(property)) {}
    std::u16string Name() const override { return property_.first; }
    engine::Variant Value() const override { return property_.second; }

  private:
    std::pair<std::u16string, engine::Variant> property_;
};

class FileField final : public engine::Field {
  public:
    FileField(FieldModel model, std::u16string foreign_name, std::u16string path)
        : model_(std::move(model)), foreign_name_(std::move(foreign_name)), path_(std::move(path)) {}
    std::u16string Name() const override { return model_.name; }
    std::int16_t Type() const override { return model_.type; }
    std::int32_t Size() const override { return model_.size; }
    std::int32_t Attributes() const override { return model_.attributes; }
    std::int32_t CollatingOrder() const override { return model_.collating_order; }
    std::int16_t OrdinalPosition() const override { return model_.ordinal_position; }
    engine::Variant DefaultValue() const override { return model_.default_value; }
    bool Required() const override { return model_.required; }
    bool AllowZeroLength() const override { return model_.allow_zero_length; }
    std::u16string ForeignName() const override { return foreign_name_; }
    std::unique_ptr<engine::Collection<engine::Property>> Properties() const override {
        auto properties = std::make_shared<decltype(model_.properties)>(model_.properties);
        return indexed_collection<engine::Property>(
            properties->size(),
            [properties](std::size_t i) { return std::make_unique<FileProperty>((*properties)[i]); }, path_);
    }

  private:
    FieldModel model_;
    std::u16string foreign_name_;
    std::u16string path_;  // the database the field was read from
};

class FileIndex final : public engine::Index {
  public:
    explicit FileIndex(IndexModel model) : model_(std::move(model)) {}
    std::u16string Name() const override { return model_.name; }
    bool Primary() const override { return model_.primary; }
    bool Unique() const override { return model_.unique; }
    bool Foreign() const override { return model_.foreign; }
    bool Clustered() const override { return false; }  // Jet and ACE have no clustered indexes
    bool Required() const override { return model_.required; }
    bool IgnoreNulls() const override { return model_.ignore_nulls; }
    std::u16string Fields() const override { return model_.fields; }

  private:
    IndexModel model_;
};

// A table's definition read as far as a request needs: counting its fields or indexes reads only its shape,
// fetching a field or an index reads all of it; each at most once.
class DefinitionOnDemand {
  public:
    explicit DefinitionOnDemand(DefinitionLocation location) : location_(std::move(location)) {}

    const TableDefinition& shape() {
        if (full_) return full_->definition;
        if (!shape_) shape_ = location_.catalog->definition(location_, DefinitionDetail::shape);
        return *shape_;
    }
    // A field's properties are read only when a field is fetched.
    TableReading& full() {
        if (!full_) {
            full_.emplace(location_);
            columns_ = listed_columns(full_->definition);
            indexes_ = listed_indexes(full_->definition);
        }
        return *full_;
    }
    // The listed columns and indexes of the full definition.
    const std::vector<const ColumnDescriptor*>& columns() {
        full();
        return columns_;
    }
    const std::vector<const LogicalIndex*>& indexes() {
        full();
        return indexes_;
    }
    // The database the definition is read from.
    const std::u16string& path() const { return location_.catalog->file().path(); }

  private:
    DefinitionLocation location_;
    std::optional<TableDefinition> shape_;
    std::optional<TableReading> full_;
    std::vector<const ColumnDescriptor*> columns_;
    std::vector<const LogicalIndex*> indexes_;
};

class FileTableDef final : public engine::TableDef {
  public:
    FileTableDef(std::shared_ptr<const Catalog> catalog, const CatalogObject* object)
        : catalog_(std::move(catalog)), object_(object) {}
    std::u16string Name() const override { return object_->name; }
    std::int32_t Attributes() const override {
        const std::uint32_t flags = object_->flags;
        std::int64_t value = 0;
        if (object_->type == object_type::linked_table) {
            value = attached_table | (flags & attach_exclusive);
        } else if (object_->type == object_type::odbc_table) {
            value = attached_odbc | (flags & attach_save_password);
        } else {
            value = (flags & system_flags) | ((flags & hidden_flag) != 0 ? hidden_attribute : 0);
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    engine::OleDate DateCreated() const override { return {object_->date_create}; }
    engine::OleDate LastUpdated() const override { return {object_->date_update}; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        auto definition = this->definition();
        const auto& columns = definition->shape().columns;
        const auto count = static_cast<std::size_t>(
            std::count_if(columns.begin(), columns.end(), [](const auto& c) { return is_listed(c); }));
        return indexed_collection<engine::Field>(
            count,
            [definition](std::size_t i) {
                TableReading& reading = definition->full();
                return std::make_unique<FileField>(reading.field(*definition->columns()[i]), u"",
                                                   reading.location.catalog->file().path());
            },
            definition->path());
    }
    std::unique_ptr<engine::Collection<engine::Index>> Indexes() const override {
        auto definition = this->definition();
        const auto& indexes = definition->shape().logical_indexes;
        const auto count = static_cast<std::size_t>(
            std::count_if(indexes.begin(), indexes.end(), [](const auto& i) { return is_listed(i); }));
        return indexed_collection<engine::Index>(
            count,
            [definition](std::size_t i) {
                const TableReading& reading = definition->full();
                return std::make_unique<FileIndex>(index_model(
                    reading.location.catalog->file(), reading.definition, *definition->indexes()[i]));
            },
            definition->path());
    }

  private:
    // Found once for this object: a listing asks for its fields and its indexes in turn.
    std::shared_ptr<DefinitionOnDemand> definition() const {
        if (!definition_)
            definition_ = std::make_shared<DefinitionOnDemand>(catalog_->definition_location(*object_));
        return definition_;
    }

    std::shared_ptr<const Catalog> catalog_;
    const CatalogObject* object_;
    mutable std::shared_ptr<DefinitionOnDemand> definition_;
};

class FileQueryDef final : public engine::QueryDef {
  public:
    FileQueryDef(std::shared_ptr<const Catalog> catalog, std::shared_ptr<const query::SourceCatalog> source,
                 const CatalogObject* object)
        : catalog_(std::move(catalog)), source_(std::move(source)), object_(object) {}
    std::u16string Name() const override { return object_->name; }
    engine::OleDate DateCreated() const override { return {object_->date_create}; }
    engine::OleDate LastUpdated() const override { return {object_->date_update}; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        auto fields =
            std::make_shared<std::vector<FieldModel>>(saved_query_fields(catalog_, *source_, *object_));
        const std::u16string& path = catalog_->file().path();
        return indexed_collection<engine::Field>(
            fields->size(),
            [fields, path](std::size_t i) { return std::make_unique<FileField>((*fields)[i], u"", path); },
            path);
    }

  private:
    std::shared_ptr<const Catalog> catalog_;              // keeps the object's row alive
    std::shared_ptr<const query::SourceCatalog> source_;  // shared by the queries of one collection
    const CatalogObject* object_;
};

class FileRelation final : public engine::Relation {
  public:
    FileRelation(RelationshipModel model, std::u16string path)
        : model_(std::move(model)), path_(std::move(path)) {}
    std::u16string Name() const override { return model_.name; }
    std::u16string Table() const override { return model_.table; }
    std::u16string ForeignTable() const override { return model_.foreign_table; }
    std::int32_t Attributes() const override { return model_.attributes; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        auto pairs = std::make_shared<std::vector<RelationshipModel::Pair>>(model_.fields);
        return indexed_collection<engine::Field>(
            pairs->size(),
            [pairs, path = path_](std::size_t i) {
                FieldModel field;
                field.name = (*pairs)[i].name;
                field.default_value = std::u16string{};
                return std::make_unique<FileField>(std::move(field), (*pairs)[i].foreign_name, path);
            },
            path_);
    }

  private:
    RelationshipModel model_;
    std::u16string path_;  // the database the relation was read from
};

class FileDatabase final : public engine::Database {
  public:
    explicit FileDatabase(std::shared_ptr<const Catalog> catalog) : catalog_(std::move(catalog)) {}

    std::unique_ptr<engine::Collection<engine::TableDef>> TableDefs() const override {
        auto tables = catalog_->tables();
        return indexed_collection<engine::TableDef>(
            tables.size(),
            [catalog = catalog_, tables](std::size_t i) {
                return std::make_unique<FileTableDef>(catalog, tables[i]);
            },
            catalog_->file().path());
    }
    std::unique_ptr<engine::Collection<engine::QueryDef>> QueryDefs() const override {
        auto queries = catalog_->queries();
        return indexed_collection<engine::QueryDef>(
            queries.size(),
            [catalog = catalog_, source = make_query_source(catalog_), queries](std::size_t i) {
                return std::make_unique<FileQueryDef>(catalog, source, queries[i]);
            },
            catalog_->file().path());
    }
    std::unique_ptr<engine::Collection<engine::Relation>> Relations() const override {
        auto relations = std::make_shared<std::vector<RelationshipModel>>(catalog_->relationships());
        const std::u16string& path = catalog_->file().path();
        return indexed_collection<engine::Relation>(
            relations->size(),
            [relations, path](std::size_t i) {
                return std::make_unique<FileRelation>((*relations)[i], path);
            },
            path);
    }

    std::vector<files::FileIdentity> files_read() const override { return catalog_->files_read(); }

  private:
    std::shared_ptr<const Catalog> catalog_;
};

}  // namespace

std::shared_ptr<engine::Database> make_file_database(std::shared_ptr<const Catalog> catalog) {
    return std::make_shared<FileDatabase>(std::move(catalog));
}

}  // namespace qz::jet

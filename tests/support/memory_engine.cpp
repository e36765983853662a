#include "support/memory_engine.hpp"

#include <functional>

#include "platform/error.hpp"

namespace qz::test {
namespace {

using Snapshot = std::shared_ptr<const MemoryDatabase>;

Error damaged_error() {
    return Error(error_number::database_damaged, u"Cannot open database 'memory'. It may be damaged.");
}

// A collection over a vector of the snapshot; `Adapter` wraps one element as the engine interface.
template <class Interface, class Data, class Adapter>
class VectorCollection final : public engine::Collection<Interface> {
  public:
    VectorCollection(Snapshot snapshot, const std::vector<Data>& items)
        : snapshot_(std::move(snapshot)), items_(items) {}
    std::int16_t Count() const override { return static_cast<std::int16_t>(items_.size()); }
    std::unique_ptr<Interface> Item(std::int16_t position) const override {
        if (position < 0 || static_cast<std::size_t>(position) >= items_.size()) {
            throw Error(error_number::item_not_found, u"Item not found in this collection.");
        }
        return std::make_unique<Adapter>(snapshot_, items_[static_cast<std::size_t>(position)]);
    }

  private:
    Snapshot snapshot_;
    const std::vector<Data>& items_;
};

class PropertyAdapter final : public engine::Property {
  public:
    PropertyAdapter(Snapshot snapshot, const MemoryProperty& data)
        : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    engine::Variant Value() const override { return data_.value; }

  private:
    Snapshot snapshot_;
    const MemoryProperty& data_;
};

class FieldAdapter final : public engine::Field {
  public:
    FieldAdapter(Snapshot snapshot, const MemoryField& data) : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    std::int16_t Type() const override {
        if (data_.damaged) throw damaged_error();
        return data_.type;
    }
    std::int32_t Size() const override { return data_.size; }
    std::int32_t Attributes() const override { return data_.attributes; }
    std::int32_t CollatingOrder() const override { return data_.collating_order; }
    std::int16_t OrdinalPosition() const override { return data_.ordinal_position; }
    engine::Variant DefaultValue() const override { return data_.default_value; }
    bool Required() const override { return data_.required; }
    bool AllowZeroLength() const override { return data_.allow_zero_length; }
    std::u16string ForeignName() const override { return data_.foreign_name; }
    std::unique_ptr<engine::Collection<engine::Property>> Properties() const override {
        return std::make_unique<VectorCollection<engine::Property, MemoryProperty, PropertyAdapter>>(
            snapshot_, data_.properties);
    }

  private:
    Snapshot snapshot_;
    const MemoryField& data_;
};

using FieldCollection = VectorCollection<engine::Field, MemoryField, FieldAdapter>;

class IndexAdapter final : public engine::Index {
  public:
    IndexAdapter(Snapshot snapshot, const MemoryIndex& data) : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    bool Primary() const override { return data_.primary; }
    bool Unique() const override { return data_.unique; }
    bool Foreign() const override { return data_.foreign; }
    bool Clustered() const override { return data_.clustered; }
    bool Required() const override { return data_.required; }
    bool IgnoreNulls() const override { return data_.ignore_nulls; }
    std::u16string Fields() const override { return data_.fields; }

  private:
    Snapshot snapshot_;
    const MemoryIndex& data_;
};

class TableAdapter final : public engine::TableDef {
  public:
    TableAdapter(Snapshot snapshot, const MemoryTable& data) : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    std::int32_t Attributes() const override { return data_.attributes; }
    engine::OleDate DateCreated() const override {
        if (data_.damaged) throw damaged_error();
        return data_.date_created;
    }
    engine::OleDate LastUpdated() const override { return data_.last_updated; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return std::make_unique<FieldCollection>(snapshot_, data_.fields);
    }
    std::unique_ptr<engine::Collection<engine::Index>> Indexes() const override {
        return std::make_unique<VectorCollection<engine::Index, MemoryIndex, IndexAdapter>>(snapshot_,
                                                                                            data_.indexes);
    }

  private:
    Snapshot snapshot_;
    const MemoryTable& data_;
};

class QueryAdapter final : public engine::QueryDef {
  public:
    QueryAdapter(Snapshot snapshot, const MemoryQuery& data) : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    engine::OleDate DateCreated() const override { return data_.date_created; }
    engine::OleDate LastUpdated() const override { return data_.last_updated; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return std::make_unique<FieldCollection>(snapshot_, data_.fields);
    }

  private:
    Snapshot snapshot_;
    const MemoryQuery& data_;
};

class RelationAdapter final : public engine::Relation {
  public:
    RelationAdapter(Snapshot snapshot, const MemoryRelation& data)
        : snapshot_(std::move(snapshot)), data_(data) {}
    std::u16string Name() const override { return data_.name; }
    std::u16string Table() const override { return data_.table; }
    std::u16string ForeignTable() const override { return data_.foreign_table; }
    std::int32_t Attributes() const override { return data_.attributes; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return std::make_unique<FieldCollection>(snapshot_, data_.fields);
    }

  private:
    Snapshot snapshot_;
    const MemoryRelation& data_;
};

class DatabaseAdapter final : public engine::Database {
  public:
    explicit DatabaseAdapter(Snapshot snapshot) : snapshot_(std::move(snapshot)) {}
    std::unique_ptr<engine::Collection<engine::TableDef>> TableDefs() const override {
        return std::make_unique<VectorCollection<engine::TableDef, MemoryTable, TableAdapter>>(
            snapshot_, snapshot_->tables);
    }
    std::unique_ptr<engine::Collection<engine::QueryDef>> QueryDefs() const override {
        return std::make_unique<VectorCollection<engine::QueryDef, MemoryQuery, QueryAdapter>>(
            snapshot_, snapshot_->queries);
    }
    std::unique_ptr<engine::Collection<engine::Relation>> Relations() const override {
        return std::make_unique<VectorCollection<engine::Relation, MemoryRelation, RelationAdapter>>(
            snapshot_, snapshot_->relations);
    }

  private:
    Snapshot snapshot_;
};

}  // namespace

std::shared_ptr<engine::Database> MemoryEngine::OpenDatabase(const std::u16string& name, bool exclusive,
                                                             bool read_only, const std::u16string& connect) {
    opens.push_back({name, exclusive, read_only, connect});
    const auto found = files.find(name);
    if (found == files.end()) {
        throw Error(error_number::file_not_found, u"Could not find file '" + name + u"'.");
    }
    // A copy, so the opened database stays as it was even when the test changes the engine's files.
    return std::make_shared<DatabaseAdapter>(std::make_shared<const MemoryDatabase>(found->second));
}

}  // namespace qz::test

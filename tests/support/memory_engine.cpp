#include "support/memory_engine.hpp"

#include "platform/errors.hpp"

namespace qz::test {
namespace {

using Snapshot = std::shared_ptr<const MemoryDatabase>;

Error damaged_error() { return errors::database_damaged(u"memory", "marked damaged by the test"); }

// One element of the snapshot, kept alive with it; each adapter below wraps one kind as the engine interface.
template <class Interface, class Data>
class Held : public Interface {
  public:
    Held(Snapshot snapshot, const Data& data) : snapshot_(std::move(snapshot)), data_(data) {}

  protected:
    Snapshot snapshot_;
    const Data& data_;
};

template <class Interface, class Data, class Adapter>
class VectorCollection final : public engine::Collection<Interface> {
  public:
    VectorCollection(Snapshot snapshot, const std::vector<Data>& items)
        : snapshot_(std::move(snapshot)), items_(items) {}
    std::int16_t Count() const override { return static_cast<std::int16_t>(items_.size()); }
    std::unique_ptr<Interface> Item(std::int16_t position) const override {
        if (position < 0 || static_cast<std::size_t>(position) >= items_.size())
            throw errors::item_not_found();
        return std::make_unique<Adapter>(snapshot_, items_[static_cast<std::size_t>(position)]);
    }

  private:
    Snapshot snapshot_;
    const std::vector<Data>& items_;
};

template <class Interface, class Adapter, class Data>
std::unique_ptr<engine::Collection<Interface>> collection(const Snapshot& snapshot,
                                                          const std::vector<Data>& items) {
    return std::make_unique<VectorCollection<Interface, Data, Adapter>>(snapshot, items);
}

struct PropertyAdapter final : Held<engine::Property, MemoryProperty> {
    using Held::Held;
    std::u16string Name() const override { return data_.name; }
    engine::Variant Value() const override { return data_.value; }
};

struct FieldAdapter final : Held<engine::Field, MemoryField> {
    using Held::Held;
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
        return collection<engine::Property, PropertyAdapter>(snapshot_, data_.properties);
    }
};

struct IndexAdapter final : Held<engine::Index, MemoryIndex> {
    using Held::Held;
    std::u16string Name() const override { return data_.name; }
    bool Primary() const override { return data_.primary; }
    bool Unique() const override { return data_.unique; }
    bool Foreign() const override { return data_.foreign; }
    bool Clustered() const override { return data_.clustered; }
    bool Required() const override { return data_.required; }
    bool IgnoreNulls() const override { return data_.ignore_nulls; }
    std::u16string Fields() const override { return data_.fields; }
};

struct TableAdapter final : Held<engine::TableDef, MemoryTable> {
    using Held::Held;
    std::u16string Name() const override { return data_.name; }
    std::int32_t Attributes() const override { return data_.attributes; }
    engine::OleDate DateCreated() const override {
        if (data_.damaged) throw damaged_error();
        return data_.date_created;
    }
    engine::OleDate LastUpdated() const override { return data_.last_updated; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return collection<engine::Field, FieldAdapter>(snapshot_, data_.fields);
    }
    std::unique_ptr<engine::Collection<engine::Index>> Indexes() const override {
        return collection<engine::Index, IndexAdapter>(snapshot_, data_.indexes);
    }
};

struct QueryAdapter final : Held<engine::QueryDef, MemoryQuery> {
    using Held::Held;
    std::u16string Name() const override { return data_.name; }
    engine::OleDate DateCreated() const override { return data_.date_created; }
    engine::OleDate LastUpdated() const override { return data_.last_updated; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return collection<engine::Field, FieldAdapter>(snapshot_, data_.fields);
    }
};

struct RelationAdapter final : Held<engine::Relation, MemoryRelation> {
    using Held::Held;
    std::u16string Name() const override { return data_.name; }
    std::u16string Table() const override { return data_.table; }
    std::u16string ForeignTable() const override { return data_.foreign_table; }
    std::int32_t Attributes() const override { return data_.attributes; }
    std::unique_ptr<engine::Collection<engine::Field>> Fields() const override {
        return collection<engine::Field, FieldAdapter>(snapshot_, data_.fields);
    }
};

class DatabaseAdapter final : public engine::Database {
  public:
    explicit DatabaseAdapter(Snapshot snapshot) : snapshot_(std::move(snapshot)) {}
    std::unique_ptr<engine::Collection<engine::TableDef>> TableDefs() const override {
        return collection<engine::TableDef, TableAdapter>(snapshot_, snapshot_->tables);
    }
    std::unique_ptr<engine::Collection<engine::QueryDef>> QueryDefs() const override {
        return collection<engine::QueryDef, QueryAdapter>(snapshot_, snapshot_->queries);
    }
    std::unique_ptr<engine::Collection<engine::Relation>> Relations() const override {
        return collection<engine::Relation, RelationAdapter>(snapshot_, snapshot_->relations);
    }

  private:
    Snapshot snapshot_;
};

}  // namespace

std::shared_ptr<engine::Database> MemoryEngine::OpenDatabase(const std::u16string& name, bool, bool,
                                                             const std::u16string&) {
    const auto found = files.find(name);
    if (found == files.end()) throw errors::file_not_found(name);
    // A copy, so the opened database stays as it was even when the test changes the engine's files.
    return std::make_shared<DatabaseAdapter>(std::make_shared<const MemoryDatabase>(found->second));
}

}  // namespace qz::test

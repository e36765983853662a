#pragma once
// An engine whose databases are plain values the tests build: each listing can be driven to every record
// form and failure without a database file. Members keep the order of the engine interface's items.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/session/engine.hpp"

namespace qz::test {

struct MemoryProperty {
    std::u16string name{};
    engine::Variant value{};
};

struct MemoryField {
    std::u16string name{};
    std::int16_t type = 10;
    std::int32_t size = 0, attributes = 0, collating_order = 1033;
    std::int16_t ordinal_position = 0;
    engine::Variant default_value{};
    bool required = false, allow_zero_length = false;
    std::u16string foreign_name{};
    std::vector<MemoryProperty> properties{};
    bool damaged = false;  // reading its type raises error 3049
};

struct MemoryIndex {
    std::u16string name{};
    std::u16string fields{};
    bool primary = false, unique = false, foreign = false, clustered = false, required = false,
         ignore_nulls = false;
};

struct MemoryTable {
    std::u16string name{};
    std::int32_t attributes = 0;
    engine::OleDate date_created{}, last_updated{};
    std::vector<MemoryField> fields{};
    std::vector<MemoryIndex> indexes{};
    bool damaged = false;  // reading its creation date raises error 3049
};

struct MemoryQuery {
    std::u16string name{};
    engine::OleDate date_created{}, last_updated{};
    std::vector<MemoryField> fields{};
};

struct MemoryRelation {
    std::u16string name{}, table{}, foreign_table{};
    std::int32_t attributes = 0;
    std::vector<MemoryField> fields{};
};

struct MemoryDatabase {
    std::vector<MemoryTable> tables{};
    std::vector<MemoryQuery> queries{};
    std::vector<MemoryRelation> relations{};
};

class MemoryEngine final : public engine::DBEngine {
  public:
    // The databases by file name; any other name raises error 3024 (file not found).
    std::map<std::u16string, MemoryDatabase> files;

    std::shared_ptr<engine::Database> OpenDatabase(const std::u16string& name, bool exclusive, bool read_only,
                                                   const std::u16string& connect) override;
};

}  // namespace qz::test

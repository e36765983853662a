#pragma once
// An engine collection over items made on demand by position, as the file reader hands out tables, queries,
// relations, fields, indexes and properties.

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "catalog/session/engine.hpp"
#include "platform/errors.hpp"

namespace qz::jet {

// `Make` makes the item at a position; it is kept in the collection itself, so that a collection asked only
// for its count (as a table listing asks each table's fields and indexes) costs one allocation.
template <class T, class Make>
class IndexedCollection final : public engine::Collection<T> {
  public:
    // Positions are 16-bit: a file listing more items than that could only be listed in part, so it is
    // refused rather than cut short. `path` names the database in that error.
    IndexedCollection(std::size_t count, Make make, const std::u16string& path)
        : count_(count), make_(std::move(make)) {
        if (count_ > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
            throw errors::database_damaged(path,
                                           "a collection holds more items than a 16-bit position can reach");
    }

    std::int16_t Count() const override { return static_cast<std::int16_t>(count_); }
    std::unique_ptr<T> Item(std::int16_t position) const override {
        if (position < 0 || static_cast<std::size_t>(position) >= count_) {
            throw errors::item_not_found();
        }
        return make_(static_cast<std::size_t>(position));
    }

  private:
    std::size_t count_;
    Make make_;
};

template <class T, class Make>
std::unique_ptr<engine::Collection<T>> indexed_collection(std::size_t count, Make make,
                                                          const std::u16string& path) {
    return std::make_unique<IndexedCollection<T, Make>>(count, std::move(make), path);
}

}  // namespace qz::jet

#include "platform/reader/engine/table_reading.hpp"

#include <algorithm>

#include "platform/reader/records/column_type.hpp"
#include "platform/reader/system_tables/name_match.hpp"

namespace qz::jet {

TableReading::TableReading(DefinitionLocation from)
    : location(std::move(from)), definition(location.catalog->definition(location)) {}

std::optional<PropertyMap> TableReading::column_properties(const ColumnDescriptor& column) {
    if (!properties) properties = location.catalog->properties(*location.object);
    std::optional<PropertyMap> found;
    for (const auto& map : *properties) {
        if (!map.name.empty() && same_name(map.name, column.name)) found = map;
    }
    if (column.type != file_type::complex) return found;
    for (auto& entry : location.catalog->multi_value_properties(column.complex_id)) {
        if (!found) found = PropertyMap{column.name, {}};
        const bool present =
            std::any_of(found->entries.begin(), found->entries.end(),
                        [&](const PropertyEntry& e) { return same_name(e.name, entry.name); });
        if (!present) found->entries.push_back(std::move(entry));
    }
    return found;
}

FieldModel TableReading::field(const ColumnDescriptor& column) {
    const std::optional<PropertyMap> found = column_properties(column);
    return field_model(*location.catalog, column, found ? &*found : nullptr);
}

}  // namespace qz::jet

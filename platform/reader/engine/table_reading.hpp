#pragma once
// One table's definition read for its fields: parsed once, its stored properties read when a field first
// needs them. The table field collection and the saved-query compiler both take a table's fields from here.

#include <optional>
#include <vector>

#include "platform/reader/engine/field_model.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"

namespace qz::jet {

struct TableReading {
    DefinitionLocation location;
    TableDefinition definition;
    std::optional<std::vector<PropertyMap>> properties;

    explicit TableReading(DefinitionLocation from);

    // The column's stored properties; a multi-value column adds those of its flat table's value column.
    std::optional<PropertyMap> column_properties(const ColumnDescriptor& column);
    // The field the engine reports for `column`.
    FieldModel field(const ColumnDescriptor& column);
};

}  // namespace qz::jet

#pragma once
// The values the engine reports for a table's fields and indexes, derived from the column descriptors, the
// index entries and the stored properties (the choices of the port page where the evidence is unsure).

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/session/engine.hpp"
#include "platform/query/query_fields.hpp"
#include "platform/reader/records/table_definition.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"

namespace qz::jet {

// A field's values are the same whether it belongs to a table or is an output field of a saved query.
using FieldModel = query::FieldDescription;

struct IndexModel {
    std::u16string name;
    bool primary = false;
    bool unique = false;
    bool foreign = false;
    bool required = false;
    bool ignore_nulls = false;
    std::u16string fields;  // "+Name;-Name"
};

// Whether the engine lists a column: the hidden version-history column of an append-only Memo is left out.
bool is_listed(const ColumnDescriptor& column);
// Whether the engine lists a logical index: the primary-side entries of relationships are left out.
bool is_listed(const LogicalIndex& index);
// The columns the engine lists, in descriptor order.
std::vector<const ColumnDescriptor*> listed_columns(const TableDefinition& table);
// The logical indexes the engine lists, by index number.
std::vector<const LogicalIndex*> listed_indexes(const TableDefinition& table);

// `column_properties` is the column's map from the table's LvProp, or null when it has none.
FieldModel field_model(const Catalog& catalog, const ColumnDescriptor& column,
                       const PropertyMap* column_properties);
IndexModel index_model(const PageFile& file, const TableDefinition& table, const LogicalIndex& index);

}  // namespace qz::jet

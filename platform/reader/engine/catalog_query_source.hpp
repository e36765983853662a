#pragma once
// The output fields of a saved query of an open database: its MSysQueries rows compiled against the
// database's tables and queries as they are now.

#include <memory>
#include <vector>

#include "platform/reader/engine/field_model.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"

namespace qz::jet {

// The tables and queries of `catalog` as a query's compilation sees them. One source serves a whole listing:
// each table's fields are read once, however many of the listed queries name the table.
std::shared_ptr<const query::SourceCatalog> make_query_source(const std::shared_ptr<const Catalog>& catalog);

// The fields of `query`, in output order, its tables read through `source`. A field taken from a table
// carries that table field's values as the table's own field collection reports them. Raises what compiling
// the query raises (3078 for a missing input table or query, ...).
std::vector<FieldModel> saved_query_fields(const std::shared_ptr<const Catalog>& catalog,
                                           const query::SourceCatalog& source, const CatalogObject& query);

}  // namespace qz::jet

#pragma once
// The output fields of a saved query. The file keeps no column list for a query, so the query is rebuilt
// from its MSysQueries rows and compiled against the current catalog each time its fields are asked for.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalog/session/engine.hpp"

namespace qz::query {

// One row of MSysQueries as stored. A null column is given as 0 or the empty text.
struct QueryRow {
    std::int16_t attribute = 0;    // kind of row: 0 start, 1 type, 2 parameter, 3 flags, 5 input, 6 column ... 255 end
    std::u16string expression;     // the row's expression or SQL text
    std::int16_t flag = 0;         // the row's Flag column
    std::u16string name1;          // the row's Name1 column
    std::u16string name2;          // the row's Name2 column
    std::int32_t object_id = 0;    // MSysObjects.Id of the query
    std::int32_t order = 0;        // the Order bytes read as a big-endian number: the order among rows of one kind
};

// One output field, with every member a field record shows.
struct FieldDescription {
    std::u16string name;
    std::int16_t type = 0;
    std::int32_t size = 0;
    std::int32_t attributes = 0;
    std::int32_t collating_order = 0;
    std::int16_t ordinal_position = 0;
    engine::Variant default_value;
    bool required = false;
    bool allow_zero_length = false;
    // The field's stored properties by name (DecimalPlaces, UnicodeCompression ...), in their stored order.
    std::vector<std::pair<std::u16string, engine::Variant>> properties;
};

// What compiling a query needs from the current catalog. Names are matched without regard to letter case.
class SourceCatalog {
public:
    virtual ~SourceCatalog() = default;
    // The fields of a table in its field order; nullopt when there is no such table.
    virtual std::optional<std::vector<FieldDescription>> table_fields(const std::u16string& name) const = 0;
    // The MSysQueries rows of a saved query, in any order; nullopt when there is no such query.
    virtual std::optional<std::vector<QueryRow>> query_rows(const std::u16string& name) const = 0;
    // The database's default sort order (1033 for General), given to computed fields.
    virtual std::int32_t database_collating_order() const = 0;
};

// Saved queries already compiled against one catalog, kept so that compiling every query of a database
// compiles each query once rather than once per query that uses it. Each keeps how deep it nests, so that a
// query used deeper than where it was compiled fails as a first compilation there would.
class CompiledQueries {
public:
    struct Compiled {
        std::vector<FieldDescription> fields;
        std::size_t query_depth = 0;  // saved queries open at once while it compiles, itself included
        std::size_t value_depth = 0;  // expressions and derived tables nested at once while it compiles
    };
    std::map<std::u16string, Compiled> by_name;  // by folded name
};

// The output fields of the saved query `query_name` whose MSysQueries rows are `rows`, in output order.
// Raises qz::Error: 3078 for a missing input table or query, 3075 for a text that does not parse, 3085 for
// an unknown function, 3079 for an ambiguous field name, 3103 for queries that use each other in a circle,
// 3360 for nesting deeper than the engine allows, 3190 for more than 255 output fields.
std::vector<FieldDescription> resolve_query_fields(const std::u16string& query_name, const std::vector<QueryRow>& rows,
                                                   const SourceCatalog& catalog);
// The same, reusing and adding to `compiled`, which must belong to this catalog.
std::vector<FieldDescription> resolve_query_fields(const std::u16string& query_name, const std::vector<QueryRow>& rows,
                                                   const SourceCatalog& catalog, CompiledQueries& compiled);

}  // namespace qz::query

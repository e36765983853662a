// A saved query that takes all fields of many copies of a query that takes all fields of many copies of
// a table: a few kilobytes of MSysQueries rows whose output grows as copies^levels x fields. The engine
// gives a query at most 255 output fields; the sound answer past that is an error, not gigabytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.hpp"
#include "platform/query/query_fields.hpp"
#include "query/query_models.hpp"

namespace qz::query::test {
namespace {

constexpr std::size_t max_output_fields = 255;
constexpr std::int16_t all_fields_flag = 1;
constexpr std::int32_t too_many_fields = 3190;

std::u16string numbered(const std::u16string& prefix, std::size_t number) {
    return prefix + ascii(std::to_string(number));
}

// Query Q<level> takes all fields of `copies` aliases of Q<level + 1>; the last level reads table T.
MemoryCatalog multiplying_catalog(std::size_t levels, std::size_t copies, std::size_t table_fields) {
    MemoryCatalog catalog;
    std::vector<FieldDescription> fields;
    for (std::size_t i = 0; i < table_fields; ++i) fields.push_back(table_field(numbered(u"f", i), 4, 4, 1));
    catalog.add_table(u"T", fields);
    for (std::size_t level = 0; level < levels; ++level) {
        const std::u16string source = level + 1 < levels ? numbered(u"Q", level + 1) : u"T";
        Rows rows;
        rows.flags(all_fields_flag);
        for (std::size_t copy = 0; copy < copies; ++copy) rows.input(source, numbered(u"t", copy));
        catalog.add_query(numbered(u"Q", level), rows.done());
    }
    return catalog;
}

// resolve_query_fields expanded every all-fields input without a bound: 3 levels of 20 copies over 255
// fields asked for 2,040,000 fields, which took 19 s and 1.2 GB in a release build; a fourth level
// exhausted memory. A query past 255 fields is refused as soon as it gets there.
TEST(QueryFieldCount, AllFieldsOverManyCopiesIsRefusedPastTheEngineLimit) {
    for (std::size_t levels : {3u, 4u}) {
        const MemoryCatalog catalog = multiplying_catalog(levels, 20, max_output_fields);
        try {
            resolve_query_fields(u"Q0", catalog.rows(u"Q0"), catalog);
            ADD_FAILURE() << levels << " levels compiled";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), too_many_fields);
            EXPECT_NE(error.description().find(u"'Q" + ascii(std::to_string(levels - 1)) + u"'"), std::u16string::npos)
                << "the deepest query is the first to pass the limit";
        }
    }
}

// The limit itself is allowed: 255 fields of one table, of copies of a table, or through a query.
TEST(QueryFieldCount, ExactlyTheEngineLimitCompiles) {
    struct Shape {
        std::size_t levels, copies, table_fields;
    };
    for (const Shape shape : {Shape{1, 1, 255}, Shape{1, 5, 51}, Shape{2, 1, 255}}) {
        const MemoryCatalog catalog = multiplying_catalog(shape.levels, shape.copies, shape.table_fields);
        EXPECT_EQ(resolve_query_fields(u"Q0", catalog.rows(u"Q0"), catalog).size(), max_output_fields);
    }
}

}  // namespace
}  // namespace qz::query::test

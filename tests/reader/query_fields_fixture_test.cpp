// The output fields of saved queries, rebuilt from MSysQueries and resolved against the fixtures' tables.
// Skipped, visibly, when the fixtures (QZ_FIXTURES, else ../shared/fixtures) are absent; the tests on written
// files cover a missing input table.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/error.hpp"
#include "platform/reader/engine/access_file_engine.hpp"
#include "platform/reader/system_tables/database_catalog.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixtures.hpp"

namespace qz::jet {
namespace {

const char* const query_test_files[] = {
    "jackcess/V1997/queryTestV1997.mdb",   "jackcess/V2000/queryTestV2000.mdb",
    "jackcess/V2003/queryTestV2003.mdb",   "jackcess/V2007/queryTestV2007.accdb",
    "jackcess/V2010/queryTestV2010.accdb",
};

std::shared_ptr<engine::Database> open(const std::filesystem::path& file) {
    return AccessFileEngine().OpenDatabase(file.u16string(), false, true, u";pwd=");
}

std::unique_ptr<engine::QueryDef> query_named(const engine::Database& database, std::u16string_view name) {
    const auto queries = database.QueryDefs();
    for (std::int16_t i = 0; i < queries->Count(); ++i) {
        if (auto query = queries->Item(i); query->Name() == name) return query;
    }
    return nullptr;
}

std::unique_ptr<engine::Field> table_field(const engine::Database& database, std::u16string_view table,
                                           std::u16string_view field) {
    const auto tables = database.TableDefs();
    for (std::int16_t t = 0; t < tables->Count(); ++t) {
        if (tables->Item(t)->Name() != table) continue;
        const auto fields = tables->Item(t)->Fields();
        for (std::int16_t f = 0; f < fields->Count(); ++f) {
            if (auto found = fields->Item(f); found->Name() == field) return found;
        }
    }
    return nullptr;
}

std::map<std::u16string, engine::Variant> properties_of(const engine::Field& field) {
    std::map<std::u16string, engine::Variant> found;
    const auto properties = field.Properties();
    for (std::int16_t i = 0; i < properties->Count(); ++i) {
        const auto p = properties->Item(i);
        found[p->Name()] = p->Value();
    }
    return found;
}

// Catches: rows of another query mixed in, a query listing that stops at the first unresolvable kind, or the
// Order key read in the wrong byte order (columns and union parts would come out shuffled or lost).
TEST(QueryFieldsOnFixtures, EveryQueryOfEveryGenerationResolvesToItsFieldCount) {
    QZ_REQUIRE_FIXTURES();
    const std::map<std::u16string, std::int16_t> expected = {
        {u"SelectQuery", 6},    {u"UnionQuery", 2},       {u"CrosstabQuery", 3},
        {u"AppendQuery", 0},    {u"UpdateQuery", 0},      {u"DeleteQuery", 0},
        {u"MakeTableQuery", 0}, {u"PassthroughQuery", 0}, {u"DataDefinitionQuery", 0},
    };
    for (const char* file : query_test_files) {
        SCOPED_TRACE(file);
        const auto queries = open(test::fixtures_folder() / file)->QueryDefs();
        ASSERT_EQ(queries->Count(), static_cast<std::int16_t>(expected.size()));
        for (std::int16_t i = 0; i < queries->Count(); ++i) {
            const auto query = queries->Item(i);
            SCOPED_TRACE(text::utf16_to_utf8(query->Name()));
            ASSERT_EQ(expected.count(query->Name()), 1u);
            EXPECT_EQ(query->Fields()->Count(), expected.at(query->Name()));
        }
        EXPECT_THROW(queries->Item(queries->Count()), Error) << "a position past the end";
    }
}

// Catches a query field that does not carry its table field's values: the reader's own field collection and
// the query's must agree on everything but the name and position. The query is SELECT DISTINCT, so its
// fields are not updatable and keep the tables' attributes unchanged.
TEST(QueryFieldsOnFixtures, SelectQueryFieldsCarryTheirTableFieldsValues) {
    QZ_REQUIRE_FIXTURES();
    struct Output {
        std::u16string name, table, field;
    };
    const Output outputs[] = {
        {u"Table1.col1", u"Table1", u"col1"}, {u"Table1.col2", u"Table1", u"col2"},
        {u"Table1.col3", u"Table1", u"col3"}, {u"Table2.col1", u"Table2", u"col1"},
        {u"Table2.col2", u"Table2", u"col2"}, {u"Table3.col3", u"Table3", u"col3"},
    };
    for (const char* file : query_test_files) {
        SCOPED_TRACE(file);
        const auto database = open(test::fixtures_folder() / file);
        const auto query = query_named(*database, u"SelectQuery");
        ASSERT_NE(query, nullptr);
        const auto fields = query->Fields();
        ASSERT_EQ(fields->Count(), 6);
        for (std::int16_t i = 0; i < fields->Count(); ++i) {
            const auto field = fields->Item(i);
            const Output& want = outputs[i];
            SCOPED_TRACE(text::utf16_to_utf8(want.name));
            const auto source = table_field(*database, want.table, want.field);
            ASSERT_NE(source, nullptr);
            EXPECT_EQ(field->Name(), want.name);
            EXPECT_EQ(field->OrdinalPosition(), i);
            EXPECT_EQ(field->Type(), source->Type());
            EXPECT_EQ(field->Size(), source->Size());
            EXPECT_EQ(field->Attributes(), source->Attributes());
            EXPECT_EQ(field->CollatingOrder(), source->CollatingOrder());
            EXPECT_EQ(field->DefaultValue(), source->DefaultValue());
            EXPECT_EQ(field->Required(), source->Required());
            EXPECT_EQ(field->AllowZeroLength(), source->AllowZeroLength());
            EXPECT_EQ(properties_of(*field), properties_of(*source));
        }
    }
}

// Catches the end row's attribute read as a signed byte and Order keys read little-endian.
TEST(QueryFieldsOnFixtures, QueryRowsKeepAttributesAndOrderAsStored) {
    QZ_REQUIRE_FIXTURES();
    for (const char* file : query_test_files) {
        SCOPED_TRACE(file);
        const auto catalog = Catalog::open((test::fixtures_folder() / file).u16string(), u"");
        const auto queries = catalog->queries();
        const auto select = std::find_if(queries.begin(), queries.end(),
                                         [](const CatalogObject* q) { return q->name == u"SelectQuery"; });
        ASSERT_NE(select, queries.end());
        std::map<std::int32_t, std::u16string> columns;
        int end_rows = 0;
        for (const auto& row : catalog->query_rows((*select)->id)) {
            if (row.attribute == 6) columns[row.order] = row.expression;
            if (row.attribute == 255) ++end_rows;
        }
        EXPECT_EQ(end_rows, 1);
        const std::map<std::int32_t, std::u16string> expected = {
            {1, u"Table1.*"}, {2, u"Table2.col1"}, {3, u"Table2.col2"}, {4, u"Table3.col3"}};
        EXPECT_EQ(columns, expected);
    }
}

}  // namespace
}  // namespace qz::jet

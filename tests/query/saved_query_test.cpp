#include "platform/query/saved_query.hpp"

#include <gtest/gtest.h>

#include "query_models.hpp"

namespace qz::query::test {
namespace {

TEST(SavedQuery, KindFollowsTheTypeRow) {
    const std::vector<std::pair<std::int16_t, QueryKind>> kinds = {
        {1, QueryKind::select},       {2, QueryKind::make_table},      {3, QueryKind::append},
        {4, QueryKind::update},       {5, QueryKind::delete_rows},     {6, QueryKind::crosstab},
        {7, QueryKind::data_definition}, {8, QueryKind::pass_through}, {9, QueryKind::union_all},
        {13, QueryKind::other}};
    for (const auto& [code, kind] : kinds) EXPECT_EQ(build_saved_query(Rows(code).done()).kind, kind) << code;
}

// Rows come in scan order, not in attribute order; a model built in scan order mixes up columns.
TEST(SavedQuery, RowsAreTakenInAttributeAndOrderSequence) {
    const SavedQuery query = build_saved_query(Rows()
                                                   .parameter(u"From", 8)
                                                   .flags(0x1A)
                                                   .input(u"Orders", u"o")
                                                   .input(u"Lines")
                                                   .column(u"o.ID")
                                                   .column(u"Sum(Lines.Price)", u"Total")
                                                   .join(2, u"o", u"Lines", u"o.ID = Lines.Order")
                                                   .where(u"o.Date > [From]")
                                                   .group_by(u"o.ID")
                                                   .done());
    ASSERT_EQ(query.inputs.size(), 2u);
    EXPECT_EQ(query.inputs[0].name, u"Orders");
    EXPECT_EQ(query.inputs[0].alias, u"o");
    ASSERT_EQ(query.columns.size(), 2u);
    EXPECT_EQ(query.columns[0].expression, u"o.ID");
    EXPECT_EQ(query.columns[1].alias, u"Total");
    ASSERT_EQ(query.parameters.size(), 1u);
    EXPECT_EQ(query.parameters[0].type, 8);
    ASSERT_EQ(query.joins.size(), 1u);
    EXPECT_EQ(query.joins[0].kind, 2);
    EXPECT_EQ(query.where, u"o.Date > [From]");
    EXPECT_EQ(query.groupings.size(), 1u);
    EXPECT_TRUE(query.distinct());
    EXPECT_TRUE(query.distinct_row());
    EXPECT_FALSE(query.all_fields());
}

TEST(SavedQuery, UnionPartsAreSeparatedFromInputsInTheirOrder) {
    const SavedQuery query = build_saved_query(Rows(9).union_part(u"SELECT 1", 1).union_part(u"SELECT 2", 2).done());
    EXPECT_TRUE(query.inputs.empty());
    EXPECT_EQ(query.union_parts, (std::vector<std::u16string>{u"SELECT 1", u"SELECT 2"}));
}

TEST(SavedQuery, EndRowReadAsSignedByteIsNotMistakenForARowKind) {
    std::vector<QueryRow> rows = Rows().input(u"T").done();
    rows.push_back(QueryRow{-1, u"junk", 6, u"", u"", 7, 1});
    const SavedQuery query = build_saved_query(rows);
    EXPECT_EQ(query.kind, QueryKind::select);
    EXPECT_TRUE(query.columns.empty());
}

}  // namespace
}  // namespace qz::query::test

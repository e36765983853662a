// Catalog name keys carry the General sort order's bytes the engine itself writes: engines that search the
// catalog through its ParentIdName index find a name only under those bytes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "writer/sort_key.hpp"

namespace qz::writer {
namespace {

struct KeyCase {
    std::u16string name;
    Bytes key;  // as Access wrote it, from the 0x7F flag to the end of the text part
};

TEST(SortKey, NamesGetTheBytesAccessWritesForThem) {
    const std::vector<KeyCase> cases{
        {u"Databases", {0x7F, 0x4F, 0x4A, 0x6D, 0x4A, 0x4C, 0x4A, 0x6B, 0x51, 0x6B, 0x01, 0x00}},
        {u"MSysDb", {0x7F, 0x60, 0x6B, 0x76, 0x6B, 0x4F, 0x4C, 0x01, 0x00}},
        {u"zeta", {0x7F, 0x78, 0x51, 0x6D, 0x4A, 0x01, 0x00}},
        {u"10", {0x7F, 0x38, 0x36, 0x01, 0x00}},
        {u"Tab w", {0x7F, 0x6D, 0x4A, 0x4C, 0x07, 0x73, 0x01, 0x00}},
        {u"sep_:_sep", {0x7F, 0x6B, 0x51, 0x66, 0x2B, 0x03, 0x20, 0x2B, 0x03, 0x6B, 0x51, 0x66, 0x01, 0x00}},
        {u"A\u00E7\u00E3o", {0x7F, 0x4A, 0x4D, 0x4A, 0x64, 0x01, 0x02, 0x1C, 0x19, 0x00}},
        {u"C\u00F3digo", {0x7F, 0x4D, 0x64, 0x4F, 0x59, 0x55, 0x64, 0x01, 0x02, 0x0E, 0x00}},
    };
    for (const auto& c : cases) {
        Bytes key;
        put_key_part(key, ColumnType::text, c.name, false);
        EXPECT_EQ(key, c.key) << std::string(c.name.begin(), c.name.end());
    }
}

TEST(SortKey, NumbersSortAsSignedValuesAndDescendingColumnsReverse) {
    const auto key = [](std::int64_t v, bool descending) {
        Bytes k;
        put_key_part(k, ColumnType::long_integer, v, descending);
        return k;
    };
    EXPECT_EQ(key(0x0F000000, false), (Bytes{0x7F, 0x8F, 0x00, 0x00, 0x00}));
    EXPECT_LT(key(-5, false), key(3, false));
    EXPECT_GT(key(-5, true), key(3, true));
}

}  // namespace
}  // namespace qz::writer

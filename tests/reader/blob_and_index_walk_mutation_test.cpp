// Robustness: thousands of seeded random mutations of written property blobs and catalog index pages. Every
// mutation must end in a result or in error 3049: no crash, no hang, no other error, no sanitizer report.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/error.hpp"
#include "platform/reader/records/index_leaf_walk.hpp"
#include "platform/reader/system_tables/property_blob.hpp"
#include "reader/fixture_file.hpp"
#include "support/byte_damage.hpp"
#include "support/written_database.hpp"

namespace qz::jet {
namespace {

using test::below;
using test::damage_byte;

using Bytes = std::vector<std::uint8_t>;

// Values that sit on the edges of lengths, counts and page numbers.
constexpr std::uint8_t edge_values[] = {0x00, 0x01, 0x04, 0x06, 0x08, 0x7F, 0x80, 0xFE, 0xFF};

struct Outcomes {
    std::size_t results = 0;
    std::size_t damaged = 0;
};

// Runs `attempt` and counts its outcome; any error other than 3049 fails the test.
template <class Attempt>
void expect_result_or_3049(Outcomes& outcomes, std::size_t round, const Attempt& attempt) {
    try {
        attempt();
        ++outcomes.results;
    } catch (const Error& error) {
        ASSERT_EQ(error.number(), error_number::database_damaged)
            << "round " << round << ": " << error.what();
        ++outcomes.damaged;
    }
}

// One to four changes, each to a byte at a random place.
void mutate(std::mt19937& random, std::span<std::uint8_t> bytes) {
    const std::size_t changes = 1 + below(random, 4);
    for (std::size_t i = 0; i < changes && !bytes.empty(); ++i) {
        damage_byte(random, bytes[below(random, bytes.size())], edge_values);
    }
}

// The largest property blob kept whole in the file: the one with the most chunks and records to damage.
Bytes largest_blob(const test::FixtureFile& file) {
    std::vector<Bytes> blobs = file.property_blobs();
    if (blobs.empty()) throw std::runtime_error("file without property blobs");
    return *std::max_element(blobs.begin(), blobs.end(),
                             [](const Bytes& a, const Bytes& b) { return a.size() < b.size(); });
}

// A file with property blobs of many maps and value types, and a catalog large enough for an index with a
// level above its leaves.
class WrittenFile {
public:
    explicit WrittenFile(writer::Format format) : written_(schema(format)), file_(written_.path()) {}
    test::FixtureFile& file() { return file_; }

private:
    static writer::Schema schema(writer::Format format) {
        using writer::ColumnType;
        using writer::Property;
        writer::Schema s;
        s.format = format;
        writer::Table table{u"Described", {}};
        table.properties = {Property::text(u"Description", u"A table with properties")};
        for (const ColumnType type : {ColumnType::currency, ColumnType::text, ColumnType::memo, ColumnType::date_time}) {
            writer::Column c =
                test::column(u"Column " + std::u16string(1, static_cast<char16_t>(u'A' + table.columns.size())), type);
            c.properties = {Property::text(u"Description", u"About " + c.name), Property::byte(u"DecimalPlaces", 2),
                            Property::boolean(u"Required", true), Property::memo(u"DefaultValue", u"=Now()"),
                            Property::text(u"Format", u"General")};
            table.columns.push_back(c);
        }
        s.tables.push_back(table);
        for (int i = 0; i < 300; ++i)
            s.tables.push_back({u"Extra " + std::u16string(1, static_cast<char16_t>(u'A' + i / 26)) +
                                    std::u16string(1, static_cast<char16_t>(u'a' + i % 26)),
                                {test::column(u"A", ColumnType::long_integer)}});
        return s;
    }
    test::WrittenDatabase written_;
    test::FixtureFile file_;
};

class BlobMutations : public ::testing::TestWithParam<writer::Format> {};
class IndexPageMutations : public ::testing::TestWithParam<writer::Format> {};

TEST_P(BlobMutations, MutatedPropertyBlobsGiveMapsOr3049) {
    WrittenFile written(GetParam());
    const test::FixtureFile& file = written.file();
    const Bytes original = largest_blob(file);
    ASSERT_NO_THROW(parse_property_blob(ByteView(original, file.path()), file.jet3(), 1252));
    std::mt19937 random(20261206);
    Outcomes outcomes;
    for (std::size_t round = 0; round < 3000; ++round) {
        Bytes blob = original;
        if (below(random, 4) == 0) blob.resize(below(random, blob.size()));  // truncated somewhere
        mutate(random, blob);
        expect_result_or_3049(outcomes, round, [&] {
            (void)parse_property_blob(ByteView(blob, file.path()), file.jet3(), 1252);
        });
    }
    // Both outcomes occur, so the mutations reach the checks rather than all failing at the signature.
    EXPECT_GT(outcomes.results, 0u);
    EXPECT_GT(outcomes.damaged, 0u);
}

TEST_P(IndexPageMutations, MutatedIndexPagesGiveRowAddressesOr3049) {
    WrittenFile written(GetParam());
    test::FixtureFile& file = written.file();
    const std::uint32_t root = file.parent_id_name_root();
    const std::vector<RowAddress> expected =
        walk_index_leaves(file.source(), root, file.jet3(), file.path(), file.page_count());
    // The pages of MSysObjects' indexes (index page types 0x03 and 0x04 owned by its definition, page 2).
    std::vector<std::uint32_t> index_pages;
    for (std::uint32_t p = 1; p < file.page_count(); ++p) {
        const std::span<const std::uint8_t> page = file.page(p);
        if ((page[0] == 0x03 || page[0] == 0x04) && page[4] == 2 && page[5] == 0 && page[6] == 0 &&
            page[7] == 0) {
            index_pages.push_back(p);
        }
    }
    ASSERT_FALSE(index_pages.empty());
    const std::size_t page_size = file.page_size();
    const std::size_t entry_area = file.jet3() ? 0xF8 : 0x1E0;
    std::mt19937 random(20261206);
    Outcomes outcomes;
    for (std::size_t round = 0; round < 2000; ++round) {
        const std::uint32_t target = index_pages[below(random, index_pages.size())];
        const std::span<std::uint8_t> page(file.bytes().data() + target * page_size, page_size);
        const Bytes saved(page.begin(), page.end());
        // Half the rounds aim at the header and bitmap, where one byte changes the shape of the page.
        mutate(random, below(random, 2) == 0 ? page.first(entry_area) : page);
        expect_result_or_3049(outcomes, round, [&] {
            (void)walk_index_leaves(file.source(), root, file.jet3(), file.path(), file.page_count());
        });
        std::copy(saved.begin(), saved.end(), page.begin());
    }
    EXPECT_EQ(walk_index_leaves(file.source(), root, file.jet3(), file.path(), file.page_count()), expected);
    EXPECT_GT(outcomes.results, 0u);
    EXPECT_GT(outcomes.damaged, 0u);
}

std::string format_name(const ::testing::TestParamInfo<writer::Format>& format) {
    static constexpr const char* names[] = {"Jet3", "Jet4", "Ace12", "Ace14"};
    return names[static_cast<int>(format.param)];
}
INSTANTIATE_TEST_SUITE_P(Written, BlobMutations,
                         ::testing::Values(writer::Format::jet3, writer::Format::jet4, writer::Format::ace12), format_name);
INSTANTIATE_TEST_SUITE_P(Written, IndexPageMutations,
                         ::testing::Values(writer::Format::jet3, writer::Format::jet4, writer::Format::ace12), format_name);

}  // namespace
}  // namespace qz::jet

// Inputs of three fuzz targets' shapes that once broke the reader or pin how it answers damage, replayed:
// each ends in its answer or a numbered error, never a crash (the sanitizer build runs them too). An input
// named after an error number must raise it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>

#include "fuzz_regressions/query_input.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/property_blob.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

// fuzz_database: a password, a NUL byte, the file's bytes; run through every listing.
TEST(RegressionInputs, EveryListingEndsInTextOrTheNamedError) {
    const TempFolder folder;
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QZ_REGRESSION_INPUTS "/fuzz_database")) {
        const std::string name = entry.path().filename().string();
        const std::string input = read_file(entry.path());
        const std::size_t nul = input.find('\0');
        ASSERT_NE(nul, std::string::npos) << name;
        const ListingOutcomes outcomes =
            run_every_listing(folder.write("input.mdb", input.substr(nul + 1)), input.substr(0, nul), 8);
        EXPECT_TRUE(outcomes.faults.empty())
            << name << ": " << (outcomes.faults.empty() ? "" : outcomes.faults[0]);
        const int expected = std::atoi(name.c_str());
        if (expected != 0) {
            EXPECT_NE(std::find(outcomes.errors.begin(), outcomes.errors.end(), expected),
                      outcomes.errors.end())
                << name;
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 10u);
}

// fuzz_property_blob: the Jet 3 flag, the code page (two bytes, little-endian), the blob.
TEST(RegressionInputs, EachPropertyBlobGivesItsMapsOrTheNamedError) {
    std::size_t replayed = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(QZ_REGRESSION_INPUTS "/fuzz_property_blob")) {
        const std::string name = entry.path().filename().string(), input = read_file(entry.path());
        ASSERT_GE(input.size(), 3u) << name;
        const std::span<const std::uint8_t> blob(reinterpret_cast<const std::uint8_t*>(input.data()) + 3,
                                                 input.size() - 3);
        std::int32_t number = 0;
        try {
            jet::parse_property_blob(jet::ByteView(blob, u"blob"), (input[0] & 1) != 0,
                                     static_cast<unsigned>(static_cast<std::uint8_t>(input[1]) |
                                                           static_cast<std::uint8_t>(input[2]) << 8));
        } catch (const Error& error) {
            number = error.number();
        }
        EXPECT_EQ(number, std::atoi(name.c_str())) << name;
        ++replayed;
    }
    EXPECT_GT(replayed, 20u);
}

// fuzz_query_fields: a small catalog and its saved queries, compiled as the target compiles them. Deep
// nesting once overflowed the stack, and queries on queries multiplied their fields into millions: each input
// sits just inside a limit (0: the first query compiles; the deepest shows it fits the sanitizer build's
// stack) or just past it (3360 too complex, 3190 too many fields).
TEST(RegressionInputs, EachQueryCatalogCompilesOrGivesTheNamedError) {
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QZ_REGRESSION_INPUTS "/fuzz_query_fields")) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(query::InputCatalog(read_file(entry.path())).compile_all(), std::atoi(name.c_str()))
            << name;
        ++replayed;
    }
    EXPECT_GT(replayed, 15u);
}

}  // namespace
}  // namespace qz::test

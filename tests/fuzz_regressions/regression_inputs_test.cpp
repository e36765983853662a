// Inputs of fuzz_database's shape (a password, a NUL byte, the file's bytes) that once broke the reader or
// pin how it answers damage, replayed through every listing: each call ends in its text or a numbered error,
// never a crash (the sanitizer build runs them too). An input named after an error number must raise it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "mutation/every_listing.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

TEST(RegressionInputs, EveryListingEndsInTextOrTheNamedError) {
    const TempFolder folder;
    std::size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QZ_REGRESSION_INPUTS)) {
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

}  // namespace
}  // namespace qz::test

// Every listing of every fixture against the digests an earlier build recorded: a change meant to keep
// behaviour must not change a byte any caller receives. After a change meant to alter listings, record anew
// with QZ_RECORD_LISTING_DIGESTS=1 ctest --test-dir build -R ListingDigests and commit the digest file.

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "mutation/every_listing.hpp"
#include "platform/text/code_page.hpp"
#include "support/fixture_files.hpp"

namespace qz::test {
namespace {

// The SHA-256 of `bytes` in hexadecimal.
std::string sha256_hex(const std::string& bytes) {
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), value, &size, EVP_sha256(), nullptr);
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        text += "0123456789abcdef"[value[i] >> 4];
        text += "0123456789abcdef"[value[i] & 0xF];
    }
    return text;
}

// "<fixture> <listing> <digest>" for every listing kind of one fixture: the digest of each call's argument
// and text (or error), each ended by a NUL, so any changed byte changes it. A file that does not open gives
// one line with its error.
std::vector<std::string> digest_lines(const std::string& fixture) {
    std::map<std::string, std::string> outputs;  // listing kind -> its outputs
    const ListingOutcomes outcomes = run_every_listing(
        fixtures_folder() / fixture, fixture_password(fixture), SIZE_MAX,
        [&](const std::string& listing, std::u16string_view argument, const std::u16string& outcome) {
            outputs[listing] += text::utf16_to_utf8(argument) + '\0' + text::utf16_to_utf8(outcome) + '\0';
        });
    if (outputs.empty()) return {fixture + " connect error " + std::to_string(outcomes.errors.at(0))};
    std::vector<std::string> lines;
    for (const auto& [listing, bytes] : outputs)
        lines.push_back(fixture + " " + listing + " " + sha256_hex(bytes));
    return lines;
}

TEST(ListingDigests, EveryListingOfEveryFixtureKeepsItsRecordedBytes) {
    QZ_REQUIRE_FIXTURES();
    // Dates are recorded as the C locale writes them, whatever the environment of the run.
    ::setenv("LC_ALL", "C", 1);
    const std::filesystem::path recorded = QZ_LISTING_DIGESTS;
    std::vector<std::string> now;
    for (const std::string& fixture : fixture_database_files()) {
        for (std::string& line : digest_lines(fixture)) now.push_back(std::move(line));
    }
    const char* record = std::getenv("QZ_RECORD_LISTING_DIGESTS");
    if (record != nullptr && std::string(record) == "1") {
        std::ofstream out(recorded, std::ios::binary | std::ios::trunc);
        for (const std::string& line : now) out << line << '\n';
        GTEST_SKIP() << "recorded " << now.size() << " digests in " << recorded;
    }
    std::istringstream lines(read_file(recorded));
    std::set<std::string> before;
    for (std::string line; std::getline(lines, line);) before.insert(line);
    for (const std::string& line : now) {
        EXPECT_TRUE(before.contains(line))
            << "listing bytes changed (or a new fixture: record anew): " << line;
    }
    EXPECT_EQ(now.size(), before.size()) << "a fixture or a kind of listing is gone";
}

}  // namespace
}  // namespace qz::test

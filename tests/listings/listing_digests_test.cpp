// Every listing of every fixture, compared with the digests an earlier build recorded: a change meant to keep
// behaviour (a speed-up, a move of code) must not change a single byte any caller receives.
//
// Record anew, after a change that is meant to alter listings, with
//   QZ_RECORD_LISTING_DIGESTS=1 ctest --test-dir build -R ListingDigests
// and commit the rewritten digest file together with the change.

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

#include "catalog/session/qz_cls_odbc_access.hpp"
#include "platform/error.hpp"
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

// Runs one listing and adds its argument and its text, or its error's number and description, each ended by
// a NUL, to the bytes of one kind of listing, so any changed byte changes their digest.
template <class Call>
void add_outcome(std::string& outputs, std::u16string_view argument, const Call& call) {
    std::u16string outcome;
    try {
        outcome = call();
    } catch (const Error& error) {
        outcome =
            u"error " + text::utf8_to_utf16(std::to_string(error.number())) + u" " + error.description();
    }
    outputs += text::utf16_to_utf8(argument) + '\0' + text::utf16_to_utf8(outcome) + '\0';
}

// "<fixture> <listing> <digest>" for every listing kind of one fixture; a file that does not open gives one
// line with its error.
std::vector<std::string> digest_lines(const std::string& fixture) {
    qz_cls_odbc_access session;
    std::map<std::string, std::string> digests;  // listing kind -> its outputs
    try {
        session.connect((fixtures_folder() / fixture).u16string(), u"",
                        text::utf8_to_utf16(fixture_password(fixture)), u"\n", u"|", u"=", u";", u",", u":");
    } catch (const Error& error) {
        return {fixture + " connect error " + std::to_string(error.number())};
    }
    for (const char16_t* kind : {u"", u"tab", u"sys"}) {
        add_outcome(digests["get_tables"], kind, [&] { return session.get_tables(kind); });
    }
    add_outcome(digests["get_relations"], u"", [&] { return session.get_relations(); });
    add_outcome(digests["get_querys"], u"", [&] { return session.get_querys(); });

    const auto tables = session.database().TableDefs();
    for (std::int16_t position = 0; position < tables->Count(); ++position) {
        const std::u16string name = tables->Item(position)->Name();
        add_outcome(digests["get_fields"], name, [&] { return session.get_fields(name, u""); });
        add_outcome(digests["get_indexes"], name, [&] { return session.get_indexes(name); });
    }
    const auto queries = session.database().QueryDefs();
    for (std::int16_t position = 0; position < queries->Count(); ++position) {
        const std::u16string name = queries->Item(position)->Name();
        add_outcome(digests["get_fields_query"], name, [&] { return session.get_fields_query(name); });
    }
    std::vector<std::string> lines;
    for (const auto& [listing, outputs] : digests)
        lines.push_back(fixture + " " + listing + " " + sha256_hex(outputs));
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
}

}  // namespace
}  // namespace qz::test

// Listing a database never writes to it. After every listing the file's bytes, size, modification and
// change times (to the nanosecond) are as before, nothing opened it for writing and nothing was made beside
// it; with the file writable and read-only for its owner. Tests may run as root, whom a read-only mode does
// not stop, so the proof is what happened to the file, not a refused write.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "mutation/every_listing.hpp"
#include "support/fixtures.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

struct Case {
    const char* fixture;
    const char* password;
    mode_t mode;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.fixture << " mode " << std::oct << c.mode; }

constexpr mode_t writable = S_IRUSR | S_IWUSR;
constexpr mode_t read_only = S_IRUSR;

const Case cases[] = {
    {"jackcess/V1997/testV1997.mdb", "", writable},                         // Jet 3
    {"jackcess/V1997/testV1997.mdb", "", read_only},                        //
    {"synthetic/relations_V2003.mdb", "", writable},                        // Jet 4
    {"synthetic/relations_V2003.mdb", "", read_only},                       //
    {"mdb-reader/password/V2003_with-password.mdb", "password", writable},  // Jet 4 with a database password
    {"mdb-reader/password/V2003_with-password.mdb", "password", read_only},
    {"synthetic/types_V2016.accdb", "", writable},  // ACE
    {"synthetic/types_V2016.accdb", "", read_only},
    {"jackcess-encrypt/db2013-enc.accdb", "1234", writable},  // ACE with encrypted pages
    {"jackcess-encrypt/db2013-enc.accdb", "1234", read_only},
};

// Every change inotify can report for a folder's files except reads.
constexpr std::uint32_t changes = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                                  IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

// The changes reported since the watch began, one "name mask" per line.
std::string reported_changes(int watch) {
    std::ostringstream report;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + static_cast<ssize_t>(sizeof event);
            report << "\n  " << (event.len > 0 ? name : "(folder)") << " mask 0x" << std::hex << event.mask;
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return report.str();
}

std::vector<std::string> folder_entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    return names;
}

class UntouchedFile : public ::testing::TestWithParam<Case> {};

TEST_P(UntouchedFile, EveryListingLeavesTheFileAsItWas) {
    QZ_REQUIRE_FIXTURES();
    const Case& c = GetParam();
    const TempFolder folder;
    const std::filesystem::path source = fixtures_folder() / c.fixture;
    const std::filesystem::path file = folder / source.filename().string();
    std::filesystem::copy_file(source, file);
    // A modification time with nanoseconds, so that a write within the same second still shows.
    const timespec times[2] = {{1700000000, 0}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
    const std::string bytes_before = read_file(file);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, folder.path().c_str(), changes), 0);

    const ListingOutcomes outcomes = run_every_listing(file, c.password, 1000);
    EXPECT_TRUE(outcomes.faults.empty());
    EXPECT_EQ(outcomes.errors, 0u) << "the undamaged file lists without errors";
    EXPECT_GT(outcomes.texts, 5u);

    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(reported_changes(watch), "") << "changes made in the folder";
    ::close(watch);
    EXPECT_EQ(read_file(file), bytes_before);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(folder_entries(folder.path()), std::vector<std::string>{file.filename()})
        << "no lock file is made";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, UntouchedFile, ::testing::ValuesIn(cases));

}  // namespace
}  // namespace qz::test

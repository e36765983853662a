// Damaged copies of every fixture run through every listing of the session: each call ends in its text or in
// a numbered error, each copy within a time and a memory bound (the sanitizer build checks the rest).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "mutation/allocation_count.hpp"
#include "mutation/damaged_copies.hpp"
#include "mutation/every_listing.hpp"
#include "support/fixture_files.hpp"
#include "support/fixtures.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

using std::chrono::steady_clock;

constexpr std::uint64_t base_seed = 20261206;  // fixed: every copy can be made again from its number
constexpr std::size_t listed_per_kind = 8;     // tables and queries described one by one in each copy
constexpr auto time_bound = std::chrono::seconds(5);
constexpr auto hang_limit = std::chrono::seconds(60);
constexpr std::size_t mebibyte = std::size_t{1} << 20;

// The memory the listings of one copy may take: a fixed allowance and four times the file.
std::size_t memory_bound(std::size_t file_size) { return 32 * mebibyte + 4 * file_size; }

// Copies per fixture: fewer of the large files, whose copies are read table by table, and of files with a
// password, whose every copy derives its key again (slow under the sanitizers): 200 of most files, about
// three minutes of a sanitizer build on two cores for the whole test.
std::size_t copies_for(std::size_t file_size, bool password) {
    if (file_size > 8 * mebibyte) return damage_kinds;
    if (file_size > 2 * mebibyte || password) return 8 * damage_kinds;
    return 25 * damage_kinds;
}

// The fixture files; one empty path, a skipped test, without them.
std::vector<std::string> fixture_files() {
    std::vector<std::string> files = fixture_database_files();
    if (files.empty()) files.emplace_back();
    return files;
}

std::uint64_t seed_of(const std::string& fixture) {
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (const char c : fixture) hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211u;
    return base_seed ^ hash;
}

// Ends the program naming the copy that hangs: a hung listing cannot be stopped from outside, and the test
// runner's timeout alone would not say which copy it was.
class HangWatch {
  public:
    HangWatch() : thread_([this] { watch(); }) {}
    ~HangWatch() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    HangWatch(const HangWatch&) = delete;
    HangWatch& operator=(const HangWatch&) = delete;

    void start(std::string what) {
        const std::lock_guard lock(mutex_);
        what_ = std::move(what);
        started_ = steady_clock::now();
        running_ = true;
    }
    void stop() {
        const std::lock_guard lock(mutex_);
        running_ = false;
    }

  private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!done_) {
            if (running_ && steady_clock::now() - started_ > hang_limit) {
                std::fprintf(stderr, "hangs: %s\n", what_.c_str());
                std::abort();
            }
            wake_.wait_for(lock, std::chrono::seconds(1));
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string what_;
    steady_clock::time_point started_;
    bool running_ = false;
    bool done_ = false;
    std::thread thread_;
};

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += "\n  " + line;
    return text;
}

class DamagedCopies : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedCopies, EveryListingEndsInTextOrANumberedErrorWithinBounds) {
    QZ_REQUIRE_FIXTURES();
    const std::string& fixture = GetParam();
    const std::filesystem::path file = fixtures_folder() / fixture;
    const std::string password = fixture_password(fixture);
    const std::string text = read_file(file);
    const Bytes original(text.begin(), text.end());
    const FileLayout layout = read_layout(file, password);
    const TempFolder folder;
    const std::string copy_name = "copy" + file.extension().string();
    const std::size_t copies = copies_for(original.size(), !password.empty());
    const std::size_t bound = memory_bound(original.size());

    HangWatch watch;
    std::size_t reached = 0;  // copies on which some call raised an error: the damage was seen
    steady_clock::duration slowest{};
    std::size_t largest_peak = 0;
    for (std::size_t number = 0; number < copies; ++number) {
        const DamagedCopy copy = damaged_copy(original, layout, seed_of(fixture), number);
        const auto path = folder.write(
            copy_name, std::string_view(reinterpret_cast<const char*>(copy.bytes.data()), copy.bytes.size()));
        const std::string what = fixture + " copy " + std::to_string(number) + " (" + copy.damage + ")";

        watch.start(what);
        allocation_count::restart_peak();
        const std::size_t live_before = allocation_count::live_bytes();
        const auto started = steady_clock::now();
        const ListingOutcomes outcomes = run_every_listing(path, password, listed_per_kind);
        const auto took = steady_clock::now() - started;
        const std::size_t peak = allocation_count::peak_bytes() - live_before;
        watch.stop();

        EXPECT_TRUE(outcomes.faults.empty()) << what << joined(outcomes.faults);
        EXPECT_LT(took, time_bound) << what;
        EXPECT_LT(peak, bound) << what;
        if (outcomes.errors > 0) ++reached;
        slowest = std::max(slowest, took);
        largest_peak = std::max(largest_peak, peak);
    }
    EXPECT_GT(reached, 0u) << "no copy of " << fixture
                           << " raised an error: the damage never reached the reader";
    std::cout << fixture << ": " << copies << " copies, " << reached << " with errors, slowest "
              << std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count() << " ms, peak "
              << largest_peak / 1024 << " KiB of " << bound / 1024 << " KiB allowed\n";
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.empty() ? "no_fixtures" : info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DamagedCopies, ::testing::ValuesIn(fixture_files()), test_name);

}  // namespace
}  // namespace qz::test

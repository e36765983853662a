// Inputs of three fuzz targets' shapes that once broke the reader or pin how it answers damage, replayed as
// each target reads them: each ends in its answer or a numbered error, never a crash (the sanitizer build
// runs them too), and raises the error its name begins with (0: none).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <span>

#include "fuzz_regressions/query_input.hpp"
#include "mutation/every_listing.hpp"
#include "platform/error.hpp"
#include "platform/reader/system_tables/property_blob.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {
namespace {

using Replay = std::function<std::vector<std::int32_t>(const std::string& input)>;  // the errors raised

TEST(RegressionInputs, EachEndsInItsAnswerOrTheNamedError) {
    const TempFolder folder;
    // The database target's input: a password, a NUL byte, the file's bytes; run through every listing.
    const Replay list = [&](const std::string& input) {
        const std::size_t nul = input.find('\0');
        const ListingOutcomes outcomes =
            run_every_listing(folder.write("input.mdb", input.substr(nul + 1)), input.substr(0, nul), 8);
        EXPECT_TRUE(outcomes.faults.empty()) << (outcomes.faults.empty() ? "" : outcomes.faults[0]);
        return outcomes.errors;
    };
    // The property blob target's input: the Jet 3 flag, the code page (two bytes, little-endian), the blob.
    const Replay parse_blob = [](const std::string& input) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(input.data());
        try {
            jet::parse_property_blob(jet::ByteView(std::span(bytes + 3, input.size() - 3), u"blob"),
                                     (bytes[0] & 1) != 0, static_cast<unsigned>(bytes[1] | bytes[2] << 8));
        } catch (const Error& error) {
            return std::vector<std::int32_t>{error.number()};
        }
        return std::vector<std::int32_t>{0};
    };
    const Replay compile = [](const std::string& input) {
        return std::vector<std::int32_t>{query::InputCatalog(input).compile_all()};
    };
    for (const auto& [target, replay, least] : {std::tuple{"fuzz_database", list, 10u},
                                                {"fuzz_property_blob", parse_blob, 20u},
                                                {"fuzz_query_fields", compile, 15u}}) {
        std::size_t replayed = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(QZ_REGRESSION_INPUTS "/") + target)) {
            const std::string name = entry.path().filename().string();
            const std::vector<std::int32_t> errors = replay(read_file(entry.path()));
            EXPECT_NE(std::find(errors.begin(), errors.end(), std::atoi(name.c_str())), errors.end()) << name;
            ++replayed;
        }
        EXPECT_GT(replayed, least) << target;
    }
}

}  // namespace
}  // namespace qz::test

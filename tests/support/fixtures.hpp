#pragma once
// Where the tests find the shared Access fixtures and the built program.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace qz::test {

// The fixture folder: $QZ_FIXTURES, else ../shared/fixtures beside the checkout. Empty when absent.
inline std::filesystem::path fixtures_folder() {
    const char* from_env = std::getenv("QZ_FIXTURES");
    std::filesystem::path folder = from_env != nullptr && *from_env != '\0' ? from_env : QZ_DEFAULT_FIXTURES;
    std::error_code ignored;
    return std::filesystem::is_directory(folder, ignored) ? folder : std::filesystem::path{};
}

// The built program: $QZ_EXE, else the one this build made.
inline std::filesystem::path program_path() {
    const char* from_env = std::getenv("QZ_EXE");
    return from_env != nullptr && *from_env != '\0' ? from_env : QZ_EXE_PATH;
}

}  // namespace qz::test

// Skips the current test, visibly and saying where fixtures are looked for, when they are not at hand.
#define QZ_REQUIRE_FIXTURES()                                                                         \
    do {                                                                                              \
        if (::qz::test::fixtures_folder().empty())                                                    \
            GTEST_SKIP() << "no fixtures: set QZ_FIXTURES or put ../shared/fixtures beside the checkout"; \
    } while (0)

#pragma once
// The fixture database files and the password each was read with, for tests that run over all of them.

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/fixtures.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {

// The .mdb and .accdb files of the fixture folder by path relative to it, sorted; none without fixtures.
inline std::vector<std::string> fixture_database_files() {
    const std::filesystem::path folder = fixtures_folder();
    std::vector<std::string> files;
    if (folder.empty()) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const auto extension = entry.path().extension();
        if (entry.is_regular_file() && (extension == ".mdb" || extension == ".accdb")) {
            files.push_back(entry.path().lexically_relative(folder).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The password (UTF-8) the fixture's facts were read with; empty when it has none.
inline std::string fixture_password(const std::string& fixture) {
    const std::filesystem::path facts_file =
        fixtures_folder() / ".." / "fixtures-facts" / (fixture + ".json");
    const auto facts = nlohmann::json::parse(read_file(facts_file), nullptr, false);
    const auto found = facts.is_object() ? facts.find("passwordUsed") : facts.end();
    return found != facts.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace qz::test

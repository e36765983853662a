#pragma once
// The facts an independent reader wrote beside each fixture, as JSON.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qz::test {

using Json = nlohmann::json;

// The member `key` of `object`; null when it has none (the facts leave out what does not apply).
inline const Json& member(const Json& object, const char* key) {
    static const Json none;
    if (!object.is_object()) return none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}
inline std::string text_of(const Json& object, const char* key) {
    const Json& value = member(object, key);
    return value.is_string() ? value.get<std::string>() : std::string{};
}
inline bool flag_of(const Json& object, const char* key) {
    const Json& value = member(object, key);
    return value.is_boolean() && value.get<bool>();
}

inline Json read_json_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Json::parse(in);
}

// The fixtures whose pages are stored plain (no page encryption), each with its facts, in path order.
struct FixtureFacts {
    std::filesystem::path file;
    Json facts;
};
inline std::vector<FixtureFacts> unencrypted_fixtures(const std::filesystem::path& fixtures) {
    const std::filesystem::path facts_folder = (fixtures / ".." / "fixtures-facts").lexically_normal();
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(facts_folder)) {
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<FixtureFacts> out;
    for (const auto& facts_file : files) {
        const std::filesystem::path relative = std::filesystem::relative(facts_file, facts_folder);
        const std::filesystem::path file = fixtures / relative.parent_path() / relative.stem();
        if (!std::filesystem::exists(file)) continue;
        Json facts = read_json_file(facts_file);
        if (text_of(member(facts, "encryption"), "codec") != "none") continue;
        out.push_back({file, std::move(facts)});
    }
    return out;
}

}  // namespace qz::test

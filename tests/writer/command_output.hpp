#pragma once
// What a shell command prints, for the checks that run Debian's mdbtools on the writer's files.

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace qz::writer {

// Runs a command and returns what it printed; empty when it could not run.
inline std::string output_of(const std::string& command) {
    std::string out;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) out.append(buffer.data(), n);
    return out;
}

inline bool mdbtools_installed() { return !output_of("command -v mdb-schema").empty(); }

}  // namespace qz::writer

#pragma once
// Writes a file in one step: created or emptied, written whole, closed. A failure raises the runtime's
// file error (70, 76, 61 or 75) and leaves the file empty rather than partly written.

#include <filesystem>
#include <string_view>

namespace qz::files {

void write_whole_file(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qz::files

#pragma once
// The folder that holds the running executable.

#include <filesystem>

namespace qz::files {

// Empty when the system does not say (then files meant for it land in the current folder).
std::filesystem::path program_folder();

}  // namespace qz::files

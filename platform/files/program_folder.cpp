#include "platform/files/program_folder.hpp"

#include <system_error>

namespace qz::files {

std::filesystem::path program_folder() {
    std::error_code failed;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path{} : executable.parent_path();
}

}  // namespace qz::files

#include "platform/files/file_identity.hpp"

#include <sys/stat.h>

namespace qz::files {
namespace {

FileIdentity identity(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

}  // namespace

std::optional<FileIdentity> identity_of(const std::filesystem::path& path) {
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return std::nullopt;
    return identity(status);
}

std::optional<FileIdentity> identity_of(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return std::nullopt;
    return identity(status);
}

}  // namespace qz::files

#pragma once
// Which file a path names, whatever its spelling: another path, a hard link or a symbolic link to the same
// file all give the same device and inode.

#include <compare>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace qz::files {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The file `path` names, symbolic links followed; nothing when there is no such file (or it cannot be
// looked at).
std::optional<FileIdentity> identity_of(const std::filesystem::path& path);
// The file an open descriptor reads.
std::optional<FileIdentity> identity_of(int descriptor);

}  // namespace qz::files

#pragma once
// Which file a path names, whatever its spelling: another path, a hard link or a symbolic link to the same
// file all give the same device and inode.

#include <filesystem>
#include <optional>

#include "catalog/session/engine.hpp"

namespace qz::files {

// The engine reports the files it read by this identity, so it is the engine interface's type.
using FileIdentity = engine::FileIdentity;

// The file `path` names, symbolic links followed; nothing when there is no such file (or it cannot be
// looked at).
std::optional<FileIdentity> identity_of(const std::filesystem::path& path);
// The file an open descriptor reads.
std::optional<FileIdentity> identity_of(int descriptor);

}  // namespace qz::files

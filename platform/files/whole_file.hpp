#pragma once
// Writes a file in one step, so that nobody ever reads a part of it.
//
// A regular file, or a path where nothing exists yet, is replaced whole: the bytes go to a new file in the
// same folder, which is renamed over the path once complete, so a reader (or a second writer) sees the old
// file or the new one and never a mix. A symbolic link keeps pointing at the file it points to, which is
// the one replaced. An existing path that is not a regular file (a device such as /dev/stdout, a FIFO) is
// written directly; a FIFO that no process reads raises 75 at once instead of waiting for a reader.
// Durability across a power loss is not promised: callers read the file right away.
//
// A failure raises the runtime's file error (70, 76, 61 or 75) and leaves no new file behind.

#include <filesystem>
#include <string_view>

namespace qz::files {

void write_whole_file(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qz::files

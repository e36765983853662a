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

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qz::files {

void write_whole_file(const std::filesystem::path& path, std::string_view bytes);

// The same, for bytes made part by part, so that memory does not grow with the file. Once the parts outgrow a
// small buffer they go to the draft as they come; the path is touched only at `finish`. A writer dropped
// without `finish` removes its draft. Where no draft can be made (a device or FIFO, a folder that takes no
// new files), the parts are kept and `finish` writes them as write_whole_file does; a draft that fails part
// way (a full disk) raises its error at `finish`, so that an error of the code making the parts comes first.
class WholeFileWriter {
  public:
    explicit WholeFileWriter(std::filesystem::path path) : path_(std::move(path)) {}
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    void write(std::string_view bytes);
    void finish();

  private:
    void start_draft();

    std::filesystem::path path_;
    std::filesystem::path target_;  // the path with its links followed, once a draft is started
    std::filesystem::path draft_;
    int descriptor_ = -1;
    bool kept_in_memory_ = false;
    int failure_ = 0;                      // the system's reason a draft write failed; 0 while none has
    std::optional<struct stat> replaced_;  // the file the draft replaces, whose permissions it keeps
    std::string pending_;
};

}  // namespace qz::files

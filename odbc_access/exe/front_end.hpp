#pragma once
// One request, from the argument text to the result file.

#include <filesystem>
#include <memory>
#include <string_view>

#include "catalog/session/engine.hpp"

namespace qz::front_end {

// The exit status of the process.
enum ExitStatus : int {
    result_written = 0,
    error_line_written = 1,
    nothing_written = 2,  // the error line then goes to standard error
};

// Cuts `command_text` into its elements, connects a session that opens databases with `engine`, runs the
// one listing the command word names and writes its text to the output path (element 9). Any failure
// ends in the error line, at the output path or, before there is one, in "error.log" in `program_folder`.
// An output path that names a file the request read (the database, a linked source) is never written:
// error 75 goes to standard error instead. A password makes the process non-dumpable.
ExitStatus run_request(std::u16string_view command_text, const std::filesystem::path& program_folder,
                       std::shared_ptr<engine::DBEngine> engine);

}  // namespace qz::front_end

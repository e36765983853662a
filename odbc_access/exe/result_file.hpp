#pragma once
// What the program leaves for its caller: the listing as UTF-16LE text with a byte-order mark, or one
// error line in Windows-1252.

#include <filesystem>
#include <string>

#include "platform/error.hpp"
#include "platform/files/whole_file.hpp"

namespace qz::front_end {

// The listing's result file, written as the listing is made; the path is replaced only at `finish`, which
// raises the file error (70, 76, 61, 75) when the file cannot be written whole.
class ResultFile {
  public:
    explicit ResultFile(const std::filesystem::path& path);
    void write(std::u16string_view part);
    void finish() { file_.finish(); }

  private:
    files::WholeFileWriter file_;
};

// "Erro: <number> - <description>" and CR LF.
std::u16string error_line(const Error& error);
void write_error_line(const std::filesystem::path& path, const Error& error);

}  // namespace qz::front_end

#pragma once
// What the program leaves for its caller: the listing as UTF-16LE text with a byte-order mark, or one
// error line in Windows-1252.

#include <filesystem>
#include <string>

#include "platform/error.hpp"

namespace qz::front_end {

// Raises the file error (70, 76, 61, 75) when the file cannot be written whole.
void write_result_file(const std::filesystem::path& path, std::u16string_view result);

// "Erro: <number> - <description>" and CR LF.
std::u16string error_line(const Error& error);
void write_error_line(const std::filesystem::path& path, const Error& error);

}  // namespace qz::front_end

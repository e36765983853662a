#include "odbc_access/exe/result_file.hpp"

#include <string>

#include "platform/files/whole_file.hpp"
#include "platform/text/code_page.hpp"
#include "platform/text/utf16le.hpp"

namespace qz::front_end {

ResultFile::ResultFile(const std::filesystem::path& path) : file_(path) {
    // A byte-order mark first, as the result file has always begun.
    write(u"\uFEFF");
}

void ResultFile::write(std::u16string_view part) {
    text::with_utf16le_bytes(part, [this](std::string_view bytes) { file_.write(bytes); });
}

std::u16string error_line(const Error& error) {
    return u"Erro: " + std::u16string(text::utf8_to_utf16(std::to_string(error.number()))) + u" - " +
           error.description() + u"\r\n";
}

void write_error_line(const std::filesystem::path& path, const Error& error) {
    files::write_whole_file(path, text::utf16_to_cp1252(error_line(error)));
}

}  // namespace qz::front_end

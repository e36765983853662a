#include "odbc_access/exe/result_file.hpp"

#include <string>

#include "platform/files/whole_file.hpp"
#include "platform/text/code_page.hpp"

namespace qz::front_end {

void write_result_file(const std::filesystem::path& path, std::u16string_view result) {
    std::string bytes;
    bytes.reserve(2 * (result.size() + 1));
    const auto append_unit = [&bytes](char16_t unit) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    };
    append_unit(u'\uFEFF');
    for (const char16_t unit : result) append_unit(unit);
    files::write_whole_file(path, bytes);
}

std::u16string error_line(const Error& error) {
    return u"Erro: " + std::u16string(text::utf8_to_utf16(std::to_string(error.number()))) + u" - " +
           error.description() + u"\r\n";
}

void write_error_line(const std::filesystem::path& path, const Error& error) {
    files::write_whole_file(path, text::utf16_to_cp1252(error_line(error)));
}

}  // namespace qz::front_end

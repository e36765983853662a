#pragma once
// What a request left in its result file, as text.

#include <filesystem>
#include <string>

#include "platform/text/code_page.hpp"
#include "support/temp_folder.hpp"

namespace qz::test {

// The listing after the byte-order mark as UTF-16LE, or else the error line as Windows-1252.
inline std::u16string result_text(const std::filesystem::path& file) {
    const std::string bytes = read_file(file);
    if (bytes.rfind("\xFF\xFE", 0) != 0) return text::cp1252_to_utf16(bytes);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

}  // namespace qz::test

#pragma once
// Text that names files, and the bytes the system names them with. Arguments, file names and configuration
// values are bytes that are usually, but not always, UTF-8. A byte that is not part of valid UTF-8 is carried
// in the text as the code unit U+DC80 + byte (a lone surrogate, which no valid UTF-8 decodes to) and turned
// back into that same byte when the text names a file, so the file a caller named is the file used.

#include <filesystem>
#include <string>
#include <string_view>

namespace qz::files {

// UTF-8 to text; each byte outside a valid sequence becomes U+DC80 + byte.
std::u16string text_from_native(std::string_view bytes);
// The inverse: U+DC80 to U+DCFF become their bytes, everything else UTF-8 (another lone surrogate becomes
// U+FFFD).
std::string native_from_text(std::u16string_view text);
// The file `text` names.
std::filesystem::path native_path(std::u16string_view text);

}  // namespace qz::files

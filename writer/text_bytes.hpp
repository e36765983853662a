#pragma once
// Text as the file stores it (reference section 6): Jet 3 in the database's code page, Jet 4 and ACE as
// UTF-16LE, values optionally in the "Unicode compression" form.

#include <string_view>

#include "writer/byte_buffer.hpp"
#include "writer/file_layout.hpp"

namespace qz::writer {

// `text` in the file's encoding, without a length. Jet 3 text must be representable in Windows-1252.
Bytes encode_text(const FileLayout& layout, std::u16string_view text);

// A Text or Memo value: compressed (FF FE, one byte per character) when asked for, the format has it and
// every character fits one byte; else as encode_text.
Bytes encode_text_value(const FileLayout& layout, std::u16string_view text, bool compress);

// A name of a table definition or property blob: a length (u8 in Jet 3, u16 in Jet 4+) and the text.
void put_name(Bytes& out, const FileLayout& layout, std::u16string_view name);

}  // namespace qz::writer

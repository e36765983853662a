#pragma once
// Text as the files store it (reference section 6): Jet 3 code-page bytes, Jet 4/ACE UTF-16LE, optionally
// with "Unicode compression".

#include <cstdint>
#include <span>
#include <string>

namespace qz::jet {

// UTF-16LE bytes; an odd trailing byte is dropped.
std::u16string utf16le_text(std::span<const std::uint8_t> bytes);
// Single-byte (or double-byte) text in a Windows code page.
std::u16string code_page_text(std::span<const std::uint8_t> bytes, unsigned code_page);
// A Text or Memo value: Jet 3 code-page text, or Jet 4/ACE UTF-16LE that may start with the FF FE marker of
// compressed text.
std::u16string text_value(std::span<const std::uint8_t> bytes, bool jet3, unsigned code_page);

}  // namespace qz::jet

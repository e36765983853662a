#pragma once
// Text as the files store it (reference section 6): Jet 3 code-page bytes, Jet 4/ACE UTF-16LE, optionally
// with "Unicode compression".

#include <cstdint>
#include <span>
#include <string>

namespace qz::jet {

// Text that is never compressed (names): Jet 3 code-page text, or Jet 4/ACE UTF-16LE with an odd trailing
// byte dropped.
std::u16string plain_text(std::span<const std::uint8_t> bytes, bool jet3, unsigned code_page);
// A Text or Memo value: Jet 3 code-page text, or Jet 4/ACE UTF-16LE that may start with the FF FE marker of
// compressed text.
std::u16string text_value(std::span<const std::uint8_t> bytes, bool jet3, unsigned code_page);

}  // namespace qz::jet

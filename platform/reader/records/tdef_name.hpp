#pragma once
// Names inside a table definition (reference 3.7, 3.10): a length prefix, then code-page text (Jet 3) or
// UTF-16LE (Jet 4 and ACE).

#include <cstddef>
#include <string>

#include "platform/reader/pages/byte_view.hpp"

namespace qz::jet {

// Reads the name at the cursor of `definition` and moves the cursor past it.
std::u16string read_tdef_name(ByteView& definition, bool jet3, unsigned code_page);
// Moves the cursor past the name without decoding it; gives the empty name.
std::u16string skip_tdef_name(ByteView& definition, bool jet3);

}  // namespace qz::jet

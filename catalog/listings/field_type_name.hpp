#pragma once
// The name a field listing writes for the engine's field type code.

#include <cstdint>
#include <string>

namespace qz::listings {

// "long" for 4, "text" for 10 ...; a code without a name is written as its decimal number.
std::u16string field_type_name(std::int16_t type_code);

}  // namespace qz::listings

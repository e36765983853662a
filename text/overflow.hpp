#pragma once
// The overflow error of the UTF-8 methods: their published forms count in signed 16- and 32-bit numbers,
// and a text too long for those counts fails with the runtime's overflow error (6) before any work.

#include <cstddef>

namespace qz::text {

// The published conversions size their buffers in signed 32-bit bytes: four UTF-8 bytes for each UTF-16
// unit, one UTF-16 unit (two bytes) for each UTF-8 byte.
inline constexpr std::size_t utf8_buffer_bytes_per_unit = 4;
inline constexpr std::size_t utf16_buffer_bytes_per_byte = 2;

// The longest text Encode_UTF8 takes: its clients count units in a signed 16-bit number that steps once
// past the last unit.
inline constexpr std::size_t longest_unit_by_unit_text = 32766;

// Raises qz::Error 6, "Overflow".
[[noreturn]] void raise_overflow();

// Raises the overflow error when `count` items of `item_size` bytes each take more bytes than a signed
// 32-bit count can hold.
void require_int32_byte_count(std::size_t count, std::size_t item_size);

}  // namespace qz::text

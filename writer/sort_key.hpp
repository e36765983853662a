#pragma once
// Index sort keys: the bytes an index entry starts with, compared bytewise. Each key column contributes a
// flag byte (0x7F: a value) and its value's bytes; a descending column contributes the complement of both.

#include <string_view>

#include "writer/access_writer.hpp"
#include "writer/byte_buffer.hpp"

namespace qz::writer {

// Appends the key part of one column value. Supported: null, Byte/Integer/Long (big-endian with the sign bit
// flipped), Boolean, and Text in the General sort order. Throws std::invalid_argument for other types.
void put_key_part(Bytes& key, ColumnType type, const Value& value, bool descending);

// The General sort order's bytes for a text: one weight per character (case ignored), 0x01, the accent marks
// of accented letters, 0x00. Letters, digits and the common punctuation of names have the engine's weights;
// any other character gets a weight above the letters that keeps code-point order.
void put_text_key(Bytes& key, std::u16string_view text);

}  // namespace qz::writer

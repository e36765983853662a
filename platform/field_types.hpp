#pragma once
// The engine's field type codes, the values engine::Field::Type() reports, and the widths of the fixed-size
// types: one table for the file engine, the saved-query compiler and the listings. (The codes a file stores
// in its table definitions are another table: platform/reader/records/column_type.hpp.)

#include <cstdint>

namespace qz::engine::field_type {

inline constexpr std::int16_t boolean = 1;
inline constexpr std::int16_t byte = 2;
inline constexpr std::int16_t integer = 3;
inline constexpr std::int16_t long_integer = 4;
inline constexpr std::int16_t currency = 5;
inline constexpr std::int16_t single = 6;
inline constexpr std::int16_t double_float = 7;
inline constexpr std::int16_t date = 8;
inline constexpr std::int16_t binary = 9;
inline constexpr std::int16_t text = 10;
inline constexpr std::int16_t long_binary = 11;
inline constexpr std::int16_t memo = 12;
inline constexpr std::int16_t guid = 15;
inline constexpr std::int16_t big_int = 16;
inline constexpr std::int16_t var_binary = 17;
inline constexpr std::int16_t fixed_char = 18;
inline constexpr std::int16_t numeric = 19;
inline constexpr std::int16_t decimal = 20;
inline constexpr std::int16_t floating = 21;
inline constexpr std::int16_t time = 22;
inline constexpr std::int16_t time_stamp = 23;
inline constexpr std::int16_t extended_date_time = 26;
// Complex columns: an attachment, or a multi-value column of the element type named.
inline constexpr std::int16_t attachment = 101;
inline constexpr std::int16_t complex_byte = 102;
inline constexpr std::int16_t complex_integer = 103;
inline constexpr std::int16_t complex_long = 104;
inline constexpr std::int16_t complex_single = 105;
inline constexpr std::int16_t complex_double = 106;
inline constexpr std::int16_t complex_guid = 107;
inline constexpr std::int16_t complex_decimal = 108;
inline constexpr std::int16_t complex_text = 109;

// The size the engine reports for a field of fixed-size type `type`: its width in bytes; 0 for the
// variable-length and complex types.
constexpr std::int32_t fixed_size(std::int16_t type) {
    switch (type) {
        case boolean:
        case byte:
            return 1;
        case integer:
            return 2;
        case long_integer:
        case single:
            return 4;
        case currency:
        case double_float:
        case date:
        case big_int:
            return 8;
        case guid:
        case decimal:
            return 16;
        default:
            return 0;
    }
}

}  // namespace qz::engine::field_type

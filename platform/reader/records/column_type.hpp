#pragma once
// The type codes a table definition stores for its columns (reference 7.1): one table for every decoder of
// the file. Up to 0x10 they are also the engine's field type codes (platform/field_types.hpp); from 0x10 on
// the engine reports other codes.

#include <cstdint>

namespace qz::jet::file_type {

inline constexpr std::uint8_t boolean = 0x01;
inline constexpr std::uint8_t byte = 0x02;
inline constexpr std::uint8_t integer = 0x03;
inline constexpr std::uint8_t long_integer = 0x04;
inline constexpr std::uint8_t currency = 0x05;
inline constexpr std::uint8_t single = 0x06;
inline constexpr std::uint8_t double_float = 0x07;
inline constexpr std::uint8_t date_time = 0x08;
inline constexpr std::uint8_t binary = 0x09;
inline constexpr std::uint8_t text = 0x0A;
inline constexpr std::uint8_t ole = 0x0B;
inline constexpr std::uint8_t memo = 0x0C;
inline constexpr std::uint8_t guid = 0x0F;
inline constexpr std::uint8_t decimal = 0x10;        // the engine's Decimal, 20
inline constexpr std::uint8_t fixed_binary = 0x11;   // the engine's Binary, 9
inline constexpr std::uint8_t complex = 0x12;        // attachment and multi-value columns
inline constexpr std::uint8_t big_int = 0x13;        // the engine's BigInt, 16
inline constexpr std::uint8_t date_extended = 0x14;  // the engine's extended date-time, 26

}  // namespace qz::jet::file_type

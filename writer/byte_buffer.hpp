#pragma once
// Little-endian appends and patches on a growing byte vector: every structure of the file is built in one.

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace qz::writer {

using Bytes = std::vector<std::uint8_t>;

inline void put_u8(Bytes& out, std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v & 0xFF)); }
inline void put_u16(Bytes& out, std::uint32_t v) {
    put_u8(out, v);
    put_u8(out, v >> 8);
}
inline void put_u32(Bytes& out, std::uint32_t v) {
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}
inline void put_u64(Bytes& out, std::uint64_t v) {
    put_u32(out, static_cast<std::uint32_t>(v));
    put_u32(out, static_cast<std::uint32_t>(v >> 32));
}
inline void put_f64(Bytes& out, double v) { put_u64(out, std::bit_cast<std::uint64_t>(v)); }
inline void put_bytes(Bytes& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void set_u16(std::span<std::uint8_t> at, std::size_t offset, std::uint32_t v) {
    at[offset] = static_cast<std::uint8_t>(v & 0xFF);
    at[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
inline void set_u32(std::span<std::uint8_t> at, std::size_t offset, std::uint32_t v) {
    set_u16(at, offset, v & 0xFFFF);
    set_u16(at, offset + 2, v >> 16);
}

// A row pointer (reference section 0): row number in byte 0, page number in bytes 1-3.
struct RowAddress {
    std::uint32_t page = 0;
    std::uint8_t row = 0;
    std::uint32_t packed() const { return page << 8 | row; }
};

}  // namespace qz::writer

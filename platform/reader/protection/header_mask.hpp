#pragma once
// Page 0 of every Access file keeps part of its header under a fixed RC4 keystream; the code page, the
// encoding key, the password and the creation date lie inside that region.

#include <cstdint>
#include <span>

namespace qz::crypto {

// The first byte of the masked region of page 0.
inline constexpr std::size_t header_mask_offset = 0x18;
// Its length: Jet 3 masks 126 bytes, Jet 4 and ACE 128.
inline constexpr std::size_t header_mask_length_jet3 = 126;
inline constexpr std::size_t header_mask_length_jet4 = 128;

// Removes (or applies: the operation is its own inverse) the mask over page 0, in place. A page shorter
// than the region is left as it is; the caller rejects such a file.
void remove_header_mask(std::span<std::uint8_t> page0, bool jet3);

}  // namespace qz::crypto

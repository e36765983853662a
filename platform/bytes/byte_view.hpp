#pragma once
// A bounds-checked, little-endian view of bytes read from a file, which is also a cursor that consumes them
// in order: every structure decoder reads through one, so no read can leave the bytes it was given. What a
// read out of bounds raises belongs to the decoder: a damaged database for the pages of the file, an
// unrecognized format for an encryption header.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace qz::bytes {

// Raises the decoder's error naming the file at `path`; `what` says what was wrong. Never returns.
using Failure = void (*)(const std::u16string& path, std::string_view what);

template <Failure fail>
class View {
  public:
    // `path` names the file in the error a bad read raises; it must outlive the view.
    View(std::span<const std::uint8_t> bytes, const std::u16string& path) : bytes_(bytes), path_(&path) {}

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    const std::u16string& path() const { return *path_; }

    // Reads at an offset from the start.
    std::uint8_t u8(std::size_t offset) const { return bytes_[check(offset, 1)]; }
    std::uint16_t u16(std::size_t offset) const { return static_cast<std::uint16_t>(le(offset, 2)); }
    std::uint32_t u32(std::size_t offset) const { return static_cast<std::uint32_t>(le(offset, 4)); }
    std::int16_t i16(std::size_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    std::uint64_t u64(std::size_t offset) const { return le(offset, 8); }
    double f64(std::size_t offset) const {
        const std::uint64_t bits = u64(offset);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // The `length` bytes at `offset`, as a view over the same bytes.
    View sub(std::size_t offset, std::size_t length) const {
        return View(bytes_.subspan(check(offset, length), length), *path_);
    }

    // Reads at the cursor, each moving it past what it read; the cursor starts at the first byte.
    std::size_t remaining() const { return bytes_.size() - at_; }
    std::uint8_t next_u8() { return u8(advance(1)); }
    std::uint16_t next_u16() { return u16(advance(2)); }
    std::uint32_t next_u32() { return u32(advance(4)); }
    void skip(std::size_t length) { advance(length); }
    // The next `length` bytes, as a view over the same bytes with a cursor of its own.
    View next(std::size_t length) {
        const std::size_t start = advance(length);
        return sub(start, length);
    }

    // Raises the decoder's error with `what` unless `condition` holds: for checks of values read.
    void require(bool condition, std::string_view what) const {
        if (!condition) fail(*path_, what);
    }

  private:
    std::size_t check(std::size_t offset, std::size_t length) const {
        if (offset > bytes_.size() || length > bytes_.size() - offset) {
            fail(*path_, "a structure reaches past the end of its page");
        }
        return offset;
    }
    std::size_t advance(std::size_t length) {
        const std::size_t start = check(at_, length);
        at_ += length;
        return start;
    }
    std::uint64_t le(std::size_t offset, std::size_t length) const {
        const std::size_t at = check(offset, length);
        std::uint64_t value = 0;
        // On a little-endian machine the bytes are the value: one load once the length is known inline.
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, bytes_.data() + at, length);
        } else {
            for (std::size_t i = length; i-- > 0;) value = (value << 8) | bytes_[at + i];
        }
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    const std::u16string* path_;
    std::size_t at_ = 0;
};

}  // namespace qz::bytes

#pragma once
// A bounds-checked, little-endian view of bytes from the database file: every structure decoder reads
// through one, so no read can leave the bytes it was given. A read out of bounds raises error 3049.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/reader/pages/damage.hpp"

namespace qz::jet {

class ByteView {
public:
    // `path` names the database in the error a bad read raises; it must outlive the view.
    ByteView(std::span<const std::uint8_t> bytes, const std::u16string& path) : bytes_(bytes), path_(&path) {}

    std::size_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> bytes() const { return bytes_; }
    const std::u16string& path() const { return *path_; }

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
    ByteView sub(std::size_t offset, std::size_t length) const {
        return ByteView(bytes_.subspan(check(offset, length), length), *path_);
    }
    // Raises 3049 with `what` unless `condition` holds: for checks of values read from the file.
    void require(bool condition, std::string_view what) const {
        if (!condition) throw_damaged(*path_, what);
    }

private:
    std::size_t check(std::size_t offset, std::size_t length) const {
        if (offset > bytes_.size() || length > bytes_.size() - offset) {
            throw_damaged(*path_, "a structure reaches past the end of its page");
        }
        return offset;
    }
    std::uint64_t le(std::size_t offset, std::size_t length) const {
        const std::size_t at = check(offset, length);
        std::uint64_t value = 0;
        for (std::size_t i = length; i-- > 0;) value = (value << 8) | bytes_[at + i];
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    const std::u16string* path_;
};

}  // namespace qz::jet

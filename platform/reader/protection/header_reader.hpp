#pragma once
// A bounds-checked little-endian cursor over the encryption header kept in page 0. A read past its end means
// a header this reader cannot interpret: error 3343 naming the database.

#include <cstdint>
#include <span>
#include <string>

#include "platform/reader/protection/protection_errors.hpp"

namespace qz::crypto {

class HeaderReader {
public:
    // `path` names the database in the error; it must outlive the reader.
    HeaderReader(std::span<const std::uint8_t> bytes, const std::u16string& path) : bytes_(bytes), path_(&path) {}

    const std::u16string& path() const { return *path_; }
    std::size_t remaining() const { return bytes_.size() - at_; }

    std::uint16_t u16() { return static_cast<std::uint16_t>(little_endian(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(little_endian(4)); }
    // The next `length` bytes, as a view into the header.
    std::span<const std::uint8_t> bytes(std::size_t length) {
        const std::size_t start = take(length);
        return bytes_.subspan(start, length);
    }

    // Raises 3343 unless `condition` holds: for checks of values read from the header.
    void require(bool condition) const {
        if (!condition) throw_unrecognized_format(*path_);
    }

private:
    std::size_t take(std::size_t length) {
        require(length <= remaining());
        const std::size_t start = at_;
        at_ += length;
        return start;
    }
    std::uint64_t little_endian(std::size_t length) {
        const std::size_t start = take(length);
        std::uint64_t value = 0;
        for (std::size_t i = length; i-- > 0;) value = (value << 8) | bytes_[start + i];
        return value;
    }

    std::span<const std::uint8_t> bytes_;
    const std::u16string* path_;
    std::size_t at_ = 0;
};

}  // namespace qz::crypto

#include <algorithm>
#include <cstddef>

#include "text/utf8_methods.hpp"

namespace qz::text {
namespace {

// How many continuation bytes a lead byte from 0xC0 to 0xFD announces. The widest mask is tested first,
// since every narrower one also matches the wider leads.
std::size_t continuation_count(unsigned char lead) {
    if ((lead & 0xFC) == 0xFC) return 5;
    if ((lead & 0xF8) == 0xF8) return 4;
    if ((lead & 0xF0) == 0xF0) return 3;
    if ((lead & 0xE0) == 0xE0) return 2;
    return 1;
}

bool is_continuation(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

}  // namespace

bool IsUTF8(const std::string& Text, std::int32_t lngReadSize) {
    if (Text.empty() || lngReadSize <= 0) return false;
    const std::size_t limit = std::min(Text.size(), static_cast<std::size_t>(lngReadSize));
    std::size_t i = 0;
    while (i < limit) {
        const auto byte = static_cast<unsigned char>(Text[i]);
        if (byte < 0x80 || byte == 0xFE || byte == 0xFF) {
            ++i;  // ASCII passes; 0xFE and 0xFF (byte-order marks in UTF-16 text) neither pass nor fail.
            continue;
        }
        if (is_continuation(byte)) return false;  // a continuation byte where a lead byte is due
        const std::size_t count = continuation_count(byte);
        for (std::size_t j = i + 1; j <= i + count; ++j) {
            if (j >= limit) return true;  // cut off by the end of the sample: what was seen is UTF-8
            if (!is_continuation(static_cast<unsigned char>(Text[j]))) return false;
        }
        i += count + 1;
    }
    return true;
}

}  // namespace qz::text

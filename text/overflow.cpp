#include "text/overflow.hpp"

#include <cstdint>
#include <limits>

#include "platform/errors.hpp"

namespace qz::text {

void raise_overflow() { throw errors::overflow(); }

void require_int32_byte_count(std::size_t count, std::size_t item_size) {
    constexpr auto largest = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    if (item_size != 0 && count > largest / item_size) raise_overflow();
}

}  // namespace qz::text

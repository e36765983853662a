#pragma once
// The damage the mutation tests do to one byte, drawn from a seeded generator so that every damaged copy
// can be made again from its seed.

#include <cstddef>
#include <cstdint>
#include <span>

namespace qz::test {

// A number from 0 to bound - 1; 0 when bound is 0.
template <class Random>
std::size_t below(Random& random, std::size_t bound) {
    return bound == 0 ? 0 : static_cast<std::size_t>(random() % bound);
}

// One bit flipped, or the byte set to one of `edge_values` (the edges of lengths, counts and offsets), or to
// anything.
template <class Random>
void damage_byte(Random& random, std::uint8_t& byte, std::span<const std::uint8_t> edge_values) {
    switch (below(random, 3)) {
        case 0:
            byte = static_cast<std::uint8_t>(byte ^ (1u << below(random, 8)));
            break;
        case 1:
            byte = edge_values[below(random, edge_values.size())];
            break;
        default:
            byte = static_cast<std::uint8_t>(random());
            break;
    }
}

}  // namespace qz::test

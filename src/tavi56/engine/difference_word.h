// The edge test of 64 positions at once, as a word of bits, so that the
// scan can jump over the stretches where nothing differs.
#pragma once

#include <cstdint>

#include "engine/direct_source.h"

namespace engine::direct {

inline constexpr int kWordBits = 64;

// Bit i set when pixel i of `a` and pixel i of `b` differ by more than
// `limit` in any of the group's channels; a[c] and b[c] each point at 64
// bytes of channel c. Defined for the colour and the alpha group.
template <class Group>
std::uint64_t differenceWord(const std::uint8_t *const a[], const std::uint8_t *const b[], int limit);

// Bits set from position `from` to `to` of a word whose bit 0 is position
// `base`; from <= to, both within the word.
inline std::uint64_t spanBits(int base, int from, int to) {
    const std::uint64_t upTo = to - base == kWordBits - 1 ? ~std::uint64_t{0} : (std::uint64_t{2} << (to - base)) - 1;
    return upTo & (~std::uint64_t{0} << (from - base));
}

}  // namespace engine::direct

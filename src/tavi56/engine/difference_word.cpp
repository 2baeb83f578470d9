// The 64 comparisons of a word of edge tests, as plain loops of byte
// arithmetic that the compiler turns into vector code. Kept in a file of
// their own so that they are compiled on their own, whatever calls them.
#include <cstring>
#include <utility>

#include "engine/difference_word.h"

namespace engine::direct {

namespace {

// Eight bytes of 0 or 1 to eight bits, byte i to bit i: the multiply
// gathers byte i's low bit into bit 56 + i, and no two terms meet.
std::uint64_t packBytes(const std::uint8_t flags[kWordBits]) {
    std::uint64_t bits = 0;
    for (int k = 0; k < kWordBits / 8; ++k) {
        std::uint64_t eight;
        std::memcpy(&eight, flags + 8 * k, sizeof eight);
        bits |= ((eight * 0x0102040810204080ull) >> 56) << (8 * k);
    }
    return bits;
}

// By how much the difference of p and q exceeds `bound`, or 0. Written so
// that it compiles to byte-wise vector max, min and subtraction.
std::uint8_t excessOver(std::uint8_t p, std::uint8_t q, std::uint8_t bound) {
    const std::uint8_t higher = p > q ? p : q;
    const std::uint8_t lower = p > q ? q : p;
    const auto d = static_cast<std::uint8_t>(higher - lower);
    return static_cast<std::uint8_t>((d > bound ? d : bound) - bound);
}

}  // namespace

// Most words of a picture hold no edge at all, so the bits are gathered
// only when some pair differs.
template <class Group>
std::uint64_t differenceWord(const std::uint8_t *const a[], const std::uint8_t *const b[], int limit) {
    if (limit < 0) return ~std::uint64_t{0};
    if (limit > 254) return 0;
    const auto bound = static_cast<std::uint8_t>(limit);
    // Per pair, by how much its largest channel difference exceeds the
    // limit: 0 while alike. The channels are spelled out in one loop.
    std::uint8_t excess[kWordBits];
    std::uint8_t anyExcess = 0;
    [&]<std::size_t... C>(std::index_sequence<C...>) {
        const std::uint8_t *pa[] = {a[C]...};
        const std::uint8_t *pb[] = {b[C]...};
        for (int i = 0; i < kWordBits; ++i) {
            const std::uint8_t e = (excessOver(pa[C][i], pb[C][i], bound) | ...);
            excess[i] = e;
            anyExcess |= e;
        }
    }
    (std::make_index_sequence<Group::count>{});
    if (anyExcess == 0) return 0;
    std::uint8_t flags[kWordBits];
    for (int i = 0; i < kWordBits; ++i) flags[i] = excess[i] != 0 ? 1 : 0;
    return packBytes(flags);
}

template std::uint64_t differenceWord<ColourChannels>(const std::uint8_t *const[], const std::uint8_t *const[], int);
template std::uint64_t differenceWord<AlphaChannels>(const std::uint8_t *const[], const std::uint8_t *const[], int);

}  // namespace engine::direct

// The limits the staircase scan compares channel differences against.
#pragma once

#include <cstdint>

namespace engine {

// The across/next test of the slope rule ignores the threshold.
inline constexpr int kNearlyAlikeLimit = 95;

// 256 - curThreshold. Any limit below 0 makes every pair differ and any
// above 255 none, so clamping to -1..256 changes no decision and keeps a
// stored threshold near the 32-bit minimum from overflowing.
constexpr int edgeLimit(int curThreshold) {
    const std::int64_t limit = 256 - std::int64_t{curThreshold};
    if (limit < -1) return -1;
    if (limit > 256) return 256;
    return static_cast<int>(limit);
}

}  // namespace engine

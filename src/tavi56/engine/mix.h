// Weights in 256ths, shared by the colour and alpha span blending.
#pragma once

#include <cstdint>

namespace engine {

constexpr int kWholeWeight = 256;
constexpr int kHalfWeight = 128;

// Every weight is clamped to 0..256 immediately before it is used.
constexpr int clampWeight(std::int64_t weight) {
    if (weight < 0) return 0;
    if (weight > kWholeWeight) return kWholeWeight;
    return static_cast<int>(weight);
}

// w/256 of p and the rest of q, rounded to nearest with halves up.
constexpr std::uint8_t mix(std::uint8_t p, std::uint8_t q, int w) {
    const int c = clampWeight(w);
    return static_cast<std::uint8_t>((p * c + q * (kWholeWeight - c) + 128) / 256);
}

// The share of a blended value against the pixel's working value:
// curStrength percent in 256ths, truncating (100 gives 256, 50 gives 128).
// Formed in 64 bits, so that a stored strength too large for the 32-bit
// product clamps like any other out-of-range strength.
constexpr int strengthWeight(int curStrength) { return clampWeight(std::int64_t{curStrength} * kWholeWeight / 100); }

// The ramp weights of one half-span of n - 1 pixels, the k-th pixel counted
// from the half's start (k = 1 .. n - 1). Needs n >= 2.
//
// The step d = 128 / n truncates to 0 once a half holds 128 pixels or more,
// which would leave a first half unblended and a second half as a flat
// half-and-half band. Only there the k-th weight is k * 128 / n instead of
// k * d, so long halves still ramp; shorter halves keep k * d exactly.
class RampWeights {
public:
    explicit constexpr RampWeights(int n) : n_(n), d_(kHalfWeight / n) {}

    // First half: d, 2d, ... toward the step.
    constexpr int rising(int k) const {
        if (d_ != 0) return k * d_;
        return static_cast<int>(std::int64_t{k} * kHalfWeight / n_);
    }
    // Second half: 128 - d, 128 - 2d, ... away from the step.
    constexpr int falling(int k) const { return kHalfWeight - rising(k); }

private:
    int n_;
    int d_;
};

}  // namespace engine

// The geometry shared by the colour and alpha span blending: which pixels
// one blend rewrites, with which neighbour and weight, in which order.
#pragma once

#include "engine/mix.h"

namespace engine {

struct PixelAt {
    int x;
    int y;
};

// How the routine of one pass lays its span on the image.
struct SpanLayout {
    bool alongRow;  // positions are x on row `line`; otherwise y on column `line`
    int direction;  // +1: positions ascend from runStart; -1: they descend
    int firstSide;  // the first half blends with line + firstSide, the second with line - firstSide
    int m1Bias;     // added to runStart + stepAt before halving
    int m2Bias;     // added to stepAt + runEnd before halving

    constexpr PixelAt pixel(int position, int line) const {
        return alongRow ? PixelAt{position, line} : PixelAt{line, position};
    }
};

// The row routines round both midpoints away from the step; the column
// routines round the second one toward it.
inline constexpr SpanLayout kSpan1{.alongRow = true, .direction = +1, .firstSide = +1, .m1Bias = 0, .m2Bias = 1};
inline constexpr SpanLayout kSpan2{.alongRow = true, .direction = -1, .firstSide = +1, .m1Bias = 1, .m2Bias = 0};
inline constexpr SpanLayout kSpan3{.alongRow = false, .direction = +1, .firstSide = +1, .m1Bias = 0, .m2Bias = 0};
inline constexpr SpanLayout kSpan4{.alongRow = false, .direction = +1, .firstSide = -1, .m1Bias = 0, .m2Bias = 0};

// Hands the pixels of one blend to `blend`, in write order: the first half
// from its midpoint toward the step, the second half from the step out to
// its midpoint, then the step pixel. Nothing at all when both halves are
// empty.
//
// blend.ramp(pixel, acrossNeighbour, weight) blends one ramp pixel;
// blend.step(pixel, neighbourAfter, neighbourBefore) the step pixel, with its
// neighbours at stepAt + 1 and stepAt - 1 along the line.
template <class Blend>
void walkSpan(const SpanLayout &layout, int runStart, int stepAt, int runEnd, int line, Blend &blend) {
    // Halving is an arithmetic shift: it rounds down.
    const int m1 = (runStart + stepAt + layout.m1Bias) >> 1;
    const int m2 = (stepAt + runEnd + layout.m2Bias) >> 1;
    const int dir = layout.direction;

    // n1 and n2 count a half's pixels plus one. A half exists only when its
    // midpoint is not the step; the n > 1 tests only keep positions out of
    // order from dividing by zero.
    const int n1 = (stepAt - m1) * dir + 1;
    if (m1 != stepAt && n1 > 1) {
        const RampWeights weights(n1);
        for (int k = 1; k < n1; ++k) {
            const int position = m1 + (k - 1) * dir;
            blend.ramp(layout.pixel(position, line), layout.pixel(position, line + layout.firstSide),
                       weights.rising(k));
        }
    }

    if (m1 == stepAt && m2 == stepAt) return;

    const int n2 = (m2 - stepAt) * dir + 1;
    if (m2 != stepAt && n2 > 1) {
        const RampWeights weights(n2);
        for (int k = 1; k < n2; ++k) {
            const int position = stepAt + k * dir;
            blend.ramp(layout.pixel(position, line), layout.pixel(position, line - layout.firstSide),
                       weights.falling(k));
        }
    }

    blend.step(layout.pixel(stepAt, line), layout.pixel(stepAt + 1, line), layout.pixel(stepAt - 1, line));
}

}  // namespace engine

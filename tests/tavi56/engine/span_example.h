// The worked example of the span blending, laid out for each routine: a
// working line that is 255 up to the step pixel and 0 beyond it, between a
// source line of 0 on the first half's side and 255 on the other.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "call_log.h"
#include "support/engine_bench.h"

namespace tavi::test {

// Which routine the example is laid out for.
enum class Layout {
    row,                 // smooth1: row 1, x ascending
    mirroredRow,         // smooth2: the same row mirrored, x descending
    column,              // smooth3: column 1, first half blends with column 2
    mirroredColumnSide,  // smooth4: column 1, first half blends with column 0
};

constexpr int kExampleLine = 1;
constexpr int kExampleLength = 13;  // positions 0 .. 12 along the line

// Position `p` of the example as the routine sees it: mirrored rows count
// from the other end.
constexpr int examplePosition(Layout layout, int p) {
    return layout == Layout::mirroredRow ? kExampleLength - 1 - p : p;
}

struct SpanExample {
    host::RgbaImage source;
    host::RgbaImage working;
};

// `grey` of the working line on the run side (positions 0 .. lastLit) and
// `beyond` past it; the other working lines and the source line itself
// hold values the routines must not use. Alpha follows the same layout.
inline SpanExample spanExample(Layout layout, int lastLit = 4, std::uint8_t lit = 255, std::uint8_t beyond = 0) {
    const bool rows = layout == Layout::row || layout == Layout::mirroredRow;
    const int width = rows ? kExampleLength : 3;
    const int height = rows ? 3 : kExampleLength;
    SpanExample ex{uniformImage(width, height, 99, 99), uniformImage(width, height, 140, 140)};
    // The first half's neighbour line holds 0, the second half's 255.
    const int firstSide = layout == Layout::mirroredColumnSide ? 0 : 2;
    const int secondSide = 2 - firstSide;
    for (int p = 0; p < kExampleLength; ++p) {
        const int along = examplePosition(layout, p);
        auto at = [&](host::RgbaImage &img, int across) {
            return rows ? img.at(along, across) : img.at(across, along);
        };
        std::uint8_t *first = at(ex.source, firstSide);
        std::uint8_t *second = at(ex.source, secondSide);
        std::uint8_t *line = at(ex.working, kExampleLine);
        for (int c = 0; c < 4; ++c) {
            first[c] = 0;
            second[c] = 255;
            line[c] = p <= lastLit ? lit : beyond;
        }
    }
    return ex;
}

// The (position, value) of every write to one slot, in order; `value` is the
// red byte for colour writes (green and blue are checked to match it) and
// the alpha byte for alpha writes.
inline std::vector<std::pair<int, int>> writesTo(const SlotLog &log, Slot slot, bool alongRow) {
    std::vector<std::pair<int, int>> writes;
    for (const SlotCall &c : log.callsTo(slot)) {
        const int position = alongRow ? c.x : c.y;
        const int line = alongRow ? c.y : c.x;
        EXPECT_EQ(line, kExampleLine);
        if (slot == Slot::writeDst) {
            EXPECT_EQ(c.quad.g, c.quad.r);
            EXPECT_EQ(c.quad.b, c.quad.r);
            writes.emplace_back(position, c.quad.r);
        } else {
            writes.emplace_back(position, c.quad.a);
        }
    }
    return writes;
}

// The worked example's mix of white into black, or black into white, at
// ramp weight w of the first half (across neighbour 0, working 255) or
// the second half (across neighbour 255, working 0), at full strength.
constexpr int blackOverWhite(int w) { return (255 * (256 - w) + 128) / 256; }
constexpr int whiteOverBlack(int w) { return (255 * w + 128) / 256; }

// A row long enough for half-spans of hundreds of pixels: working 255 up
// to `lastLit` and 0 beyond, source row 2 black and row 0 white.
inline SpanExample longRow(int width, int lastLit) {
    SpanExample ex{uniformImage(width, 3, 99, 99), uniformImage(width, 3, 140, 140)};
    for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 4; ++c) {
            ex.source.at(x, 2)[c] = 0;
            ex.source.at(x, 0)[c] = 255;
            ex.working.at(x, 1)[c] = x <= lastLit ? 255 : 0;
        }
    }
    return ex;
}

inline std::vector<std::pair<int, int>> blendRow(BlendRoutine blend, Slot slot, const SpanExample &ex, int runStart,
                                                 int stepAt, int runEnd) {
    EngineBench bench(ex.source, ex.working);
    SlotLog log(bench.inst());
    blend(nullptr, bench.inst(), runStart, stepAt, runEnd, kExampleLine);
    return writesTo(log, slot, true);
}

// Shared with the alpha routines: the long-half checks for one pair of
// blend routine and write slot.
inline void checkLongHalves(BlendRoutine blend, Slot slot) {
    // Halves of 127 pixels keep the ramp step 128 / 128 = 1: weights 1..127
    // in the first half and 127..1 in the second.
    {
        const SpanExample ex = longRow(520, 255);
        const auto w = blendRow(blend, slot, ex, 1, 255, 508);
        ASSERT_EQ(w.size(), 127u + 127u + 1u);
        for (int k = 1; k <= 127; ++k) {
            EXPECT_EQ(w[k - 1], std::pair(127 + k, blackOverWhite(k))) << "first half, k = " << k;
            EXPECT_EQ(w[127 + k - 1], std::pair(255 + k, whiteOverBlack(128 - k))) << "second half, k = " << k;
        }
    }
    // A first half of 128 pixels would get step 0 and stay untouched; it
    // ramps with weights k * 128 / 129 instead, rising to 127 at the step.
    {
        const SpanExample ex = longRow(400, 300);
        const auto w = blendRow(blend, slot, ex, 44, 300, 300);
        ASSERT_EQ(w.size(), 128u + 1u);
        for (int k = 1; k <= 128; ++k)
            EXPECT_EQ(w[k - 1], std::pair(171 + k, blackOverWhite(k * 128 / 129))) << "k = " << k;
        EXPECT_EQ(w.front().second, 255) << "weight 0 at the far end";
        EXPECT_EQ(w[127].second, blackOverWhite(127));
        for (std::size_t i = 1; i < 128; ++i) {
            EXPECT_LE(w[i].second, w[i - 1].second);
            EXPECT_GE(w[i].second, w[i - 1].second - 2) << "no jump at " << w[i].first;
        }
    }
    // A second half of 300 pixels would be a flat band of weight 128 ending
    // abruptly; it falls from 128 to 1 instead.
    {
        const SpanExample ex = longRow(640, 10);
        const auto w = blendRow(blend, slot, ex, 10, 10, 609);
        ASSERT_EQ(w.size(), 300u + 1u);
        for (int k = 1; k <= 300; ++k)
            EXPECT_EQ(w[k - 1], std::pair(10 + k, whiteOverBlack(128 - k * 128 / 301))) << "k = " << k;
        EXPECT_EQ(w.front().second, 128);
        EXPECT_EQ(w[299].second, 1);
        for (std::size_t i = 1; i < 300; ++i) {
            EXPECT_LE(w[i].second, w[i - 1].second);
            EXPECT_GE(w[i].second, w[i - 1].second - 2) << "no jump at " << w[i].first;
        }
    }
}

}  // namespace tavi::test

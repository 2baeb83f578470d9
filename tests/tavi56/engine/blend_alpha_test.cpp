#include <gtest/gtest.h>

#include <climits>

#include "engine/span_blend.h"
#include "span_example.h"

using namespace tavi::test;
using tavi::host::RgbaImage;
using Writes = std::vector<std::pair<int, int>>;

namespace {

struct Routine {
    const char *name;
    BlendRoutine blend;
    Layout layout;
};

const Routine kSmooth1a{"smooth1_a", smooth1_a, Layout::row};
const Routine kSmooth2a{"smooth2_a", smooth2_a, Layout::mirroredRow};
const Routine kSmooth3a{"smooth3_a", smooth3_a, Layout::column};
const Routine kSmooth4a{"smooth4_a", smooth4_a, Layout::mirroredColumnSide};

bool sameColour(const RgbaImage &a, const RgbaImage &b) {
    for (std::size_t i = 0; i < a.rgba.size(); ++i)
        if (i % 4 != 3 && a.rgba[i] != b.rgba[i]) return false;
    return true;
}

// Runs one alpha routine on its example (positions as smooth1_a sees them)
// and returns its alpha writes; checks that no colour changed.
Writes blendExample(const Routine &routine, const SpanExample &ex, int runStart, int stepAt, int runEnd,
                    int strength = 100) {
    EngineBench bench(ex.source, ex.working);
    bench.inst()->curStrength = strength;
    Writes writes;
    {
        SlotLog log(bench.inst());
        const Layout l = routine.layout;
        routine.blend(nullptr, bench.inst(), examplePosition(l, runStart), examplePosition(l, stepAt),
                      examplePosition(l, runEnd), kExampleLine);
        EXPECT_TRUE(log.callsTo(Slot::writeDst).empty());
        EXPECT_TRUE(log.callsTo(Slot::readSrc).empty());
        EXPECT_TRUE(log.callsTo(Slot::readDst).empty());
        writes = writesTo(log, Slot::writeDstA, l == Layout::row || l == Layout::mirroredRow);
        for (auto &w : writes) w.first = examplePosition(l, w.first);
    }
    EXPECT_TRUE(sameColour(bench.working(), ex.working)) << "colour is never written";
    return writes;
}

}  // namespace

TEST(AlphaSpan, WorkedExampleAtFullAndHalfStrength) {
    for (const Routine &r : {kSmooth1a, kSmooth2a}) {
        SCOPED_TRACE(r.name);
        const SpanExample ex = spanExample(r.layout);
        EXPECT_EQ(blendExample(r, ex, 0, 4, 8), (Writes{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}}));
        EXPECT_EQ(blendExample(r, ex, 0, 4, 8, 50), (Writes{{2, 234}, {3, 213}, {5, 43}, {6, 22}, {4, 192}}));
    }
}

TEST(AlphaSpan, GeometryFollowsTheColourTwins) {
    for (const Routine &r : {kSmooth1a, kSmooth2a}) {
        SCOPED_TRACE(r.name);
        const SpanExample ex = spanExample(r.layout);
        EXPECT_EQ(blendExample(r, ex, 0, 4, 9), (Writes{{2, 213}, {3, 171}, {5, 96}, {6, 64}, {7, 32}, {4, 134}}));
        EXPECT_EQ(blendExample(r, ex, 4, 4, 5), (Writes{{5, 64}, {4, 160}}));
    }
    for (const Routine &r : {kSmooth3a, kSmooth4a}) {
        SCOPED_TRACE(r.name);
        const SpanExample ex = spanExample(r.layout);
        EXPECT_EQ(blendExample(r, ex, 0, 4, 9), (Writes{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}}));
        EXPECT_EQ(blendExample(r, ex, 4, 4, 5), Writes{});
    }
    for (const Routine &r : {kSmooth1a, kSmooth2a, kSmooth3a, kSmooth4a}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 4, 4, 4), Writes{});
        EXPECT_EQ(blendExample(r, spanExample(r.layout, kExampleLength - 1), 0, 8, 8),
                  (Writes{{4, 230}, {5, 205}, {6, 180}, {7, 155}, {8, 205}}))
            << "a run closed at the end of its line";
    }
}

TEST(AlphaSpan, StrengthZeroAndOutOfRangeStrengths) {
    const SpanExample ex = spanExample(Layout::column);
    const Writes unchanged{{2, 255}, {3, 255}, {5, 0}, {6, 0}, {4, 255}};
    const Writes full{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}};
    EXPECT_EQ(blendExample(kSmooth3a, ex, 0, 4, 9, 0), unchanged);
    EXPECT_EQ(blendExample(kSmooth3a, ex, 0, 4, 9, -1), unchanged);
    EXPECT_EQ(blendExample(kSmooth3a, ex, 0, 4, 9, INT_MIN), unchanged);
    EXPECT_EQ(blendExample(kSmooth3a, ex, 0, 4, 9, 101), full);
    EXPECT_EQ(blendExample(kSmooth3a, ex, 0, 4, 9, INT_MAX), full);
}

TEST(AlphaSpan, AlphaAlikeAcrossTheLineIsUnchanged) {
    const RgbaImage flat = uniformImage(kExampleLength, 3, 10, 201);
    for (const auto &[pos, value] : blendExample(kSmooth1a, {flat, flat}, 0, 6, 12)) EXPECT_EQ(value, 201) << pos;
}

TEST(AlphaSpan, WritesBackTheWorkingQuadWithItsAlphaReplaced) {
    const SpanExample ex = spanExample(Layout::row);
    EngineBench bench(ex.source, ex.working);
    // A working reader that reports colour too, to see that it goes back out.
    bench.inst()->readDstA = [](FilterInstance *inst, int x, int y, PixelQuad *q) {
        readB_a(inst, x, y, q);
        q->r = 1;
        q->g = 2;
        q->b = 3;
    };
    FrameAccess frame{};
    SlotLog log(bench.inst());
    smooth1_a(&frame, bench.inst(), 0, 4, 8, kExampleLine);
    const std::vector<SlotCall> writes = log.callsTo(Slot::writeDstA);
    ASSERT_EQ(writes.size(), 5u);
    for (const SlotCall &c : writes) {
        EXPECT_EQ(c.frame, &frame);
        EXPECT_EQ(std::tuple(c.quad.r, c.quad.g, c.quad.b), std::tuple(1, 2, 3));
    }
    // The first write: across neighbour from the source alpha, then the pixel.
    EXPECT_EQ(log.calls()[0].slot, Slot::readSrcA);
    EXPECT_EQ(std::pair(log.calls()[0].x, log.calls()[0].y), std::pair(2, 2));
    EXPECT_EQ(log.calls()[1].slot, Slot::readDstA);
    EXPECT_EQ(std::pair(log.calls()[1].x, log.calls()[1].y), std::pair(2, 1));
}

TEST(AlphaSpan, LongHalvesRampInsteadOfStayingFlat) { checkLongHalves(smooth1_a, Slot::writeDstA); }

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

const Routine kSmooth1{"smooth1", smooth1, Layout::row};
const Routine kSmooth2{"smooth2", smooth2, Layout::mirroredRow};
const Routine kSmooth3{"smooth3", smooth3, Layout::column};
const Routine kSmooth4{"smooth4", smooth4, Layout::mirroredColumnSide};

// Runs one routine on its example with positions given as smooth1 sees
// them, and returns its colour writes with positions mapped back likewise.
Writes blendExample(const Routine &routine, const SpanExample &ex, int runStart, int stepAt, int runEnd,
                    int strength = 100) {
    EngineBench bench(ex.source, ex.working);
    bench.inst()->curStrength = strength;
    SlotLog log(bench.inst());
    const Layout l = routine.layout;
    routine.blend(nullptr, bench.inst(), examplePosition(l, runStart), examplePosition(l, stepAt),
                  examplePosition(l, runEnd), kExampleLine);
    const bool rows = l == Layout::row || l == Layout::mirroredRow;
    Writes writes = writesTo(log, Slot::writeDst, rows);
    for (auto &w : writes) w.first = examplePosition(l, w.first);
    return writes;
}

}  // namespace

TEST(ColourSpan, WorkedExampleAtFullAndHalfStrength) {
    for (const Routine &r : {kSmooth1, kSmooth2}) {
        SCOPED_TRACE(r.name);
        const SpanExample ex = spanExample(r.layout);
        // First half toward the step, second half outward, step pixel last.
        EXPECT_EQ(blendExample(r, ex, 0, 4, 8), (Writes{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}}));
        EXPECT_EQ(blendExample(r, ex, 0, 4, 8, 50), (Writes{{2, 234}, {3, 213}, {5, 43}, {6, 22}, {4, 192}}));
    }
}

TEST(ColourSpan, RowRoutinesRoundTheSecondMidpointAwayColumnRoutinesToward) {
    for (const Routine &r : {kSmooth1, kSmooth2}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 0, 4, 9),
                  (Writes{{2, 213}, {3, 171}, {5, 96}, {6, 64}, {7, 32}, {4, 134}}));
    }
    for (const Routine &r : {kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 0, 4, 9),
                  (Writes{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}}));
    }
}

TEST(ColourSpan, EmptyFirstHalfStillWritesTheStepPixel) {
    for (const Routine &r : {kSmooth1, kSmooth2}) {
        SCOPED_TRACE(r.name);
        // The step pixel averages the new 64 with the unchanged 255 before it.
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 4, 4, 5), (Writes{{5, 64}, {4, 160}}));
    }
    for (const Routine &r : {kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 4, 4, 5), Writes{}) << "both halves empty";
    }
}

TEST(ColourSpan, NothingIsWrittenWhenRunStartStepAndRunEndMeet) {
    for (const Routine &r : {kSmooth1, kSmooth2, kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 4, 4, 4), Writes{});
    }
}

TEST(ColourSpan, SinglePixelFirstHalfHasWeight64) {
    for (const Routine &r : {kSmooth1, kSmooth2, kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        // Weight 64 of black over white gives 191; the step pixel is the
        // average of 191 and the unchanged 0 after it.
        EXPECT_EQ(blendExample(r, spanExample(r.layout), 3, 4, 4), (Writes{{3, 191}, {4, 96}}));
    }
}

TEST(ColourSpan, RunClosedAtTheEndOfItsLine) {
    for (const Routine &r : {kSmooth1, kSmooth2, kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        const SpanExample ex = spanExample(r.layout, /*lastLit=*/kExampleLength - 1);
        // Weights 25, 50, 75, 100; the step pixel averages the unchanged 255
        // after it with the new 155 before it.
        EXPECT_EQ(blendExample(r, ex, 0, 8, 8), (Writes{{4, 230}, {5, 205}, {6, 180}, {7, 155}, {8, 205}}));
    }
}

TEST(ColourSpan, StrengthZeroAndOutOfRangeStrengths) {
    const SpanExample ex = spanExample(Layout::row);
    const Writes unchanged{{2, 255}, {3, 255}, {5, 0}, {6, 0}, {4, 255}};
    const Writes full{{2, 213}, {3, 171}, {5, 86}, {6, 44}, {4, 129}};
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, 0), unchanged);
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, -20), unchanged) << "a negative strength acts as 0";
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, 150), full) << "above 100 acts as 100";
    // Strengths whose product with 256 overflows 32 bits clamp the same way.
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, INT_MAX), full);
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, 8388608), full);
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, INT_MIN), unchanged);
    EXPECT_EQ(blendExample(kSmooth1, ex, 0, 4, 8, -8388609), unchanged);
}

TEST(ColourSpan, PixelsAlikeAcrossTheLineAreUnchanged) {
    for (const Routine &r : {kSmooth1, kSmooth2, kSmooth3, kSmooth4}) {
        SCOPED_TRACE(r.name);
        const bool rows = r.layout == Layout::row || r.layout == Layout::mirroredRow;
        const RgbaImage flat = rows ? uniformImage(kExampleLength, 3, 77, 3) : uniformImage(3, kExampleLength, 77, 3);
        for (const auto &[pos, value] : blendExample(r, {flat, flat}, 0, 6, 12)) EXPECT_EQ(value, 77) << pos;
    }
}

TEST(ColourSpan, ReadsAcrossFromTheSourceAndAlongFromTheWorkingImage) {
    const SpanExample ex = spanExample(Layout::row);
    EngineBench bench(ex.source, ex.working);
    FrameAccess frame{};
    SlotLog log(bench.inst());
    smooth1(&frame, bench.inst(), 3, 4, 5, kExampleLine);
    // First half pixel 3: across neighbour, working pixel, write. Second half
    // pixel 5 with the row above. Step pixel: after, before, itself, write.
    const std::vector<std::tuple<Slot, int, int>> expected = {
        {Slot::readSrc, 3, 2}, {Slot::readDst, 3, 1},  {Slot::writeDst, 3, 1}, {Slot::readSrc, 5, 0},
        {Slot::readDst, 5, 1}, {Slot::writeDst, 5, 1}, {Slot::readDst, 5, 1},  {Slot::readDst, 3, 1},
        {Slot::readDst, 4, 1}, {Slot::writeDst, 4, 1},
    };
    ASSERT_EQ(log.calls().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const SlotCall &c = log.calls()[i];
        EXPECT_EQ(std::tuple(c.slot, c.x, c.y), expected[i]) << "call " << i;
        if (c.slot == Slot::writeDst) {
            EXPECT_EQ(c.frame, &frame) << "the frame access is handed on";
        }
    }
}

TEST(ColourSpan, ResultKeepsTheWorkingAlphaAndLeavesTheAlphaPlane) {
    const SpanExample ex = spanExample(Layout::column);
    EngineBench bench(ex.source, ex.working);
    // A working reader that reports an alpha, to see where the result's comes from.
    bench.inst()->readDst = [](FilterInstance *inst, int x, int y, PixelQuad *q) {
        readB(inst, x, y, q);
        q->a = 0x5A;
    };
    SlotLog log(bench.inst());
    smooth3(nullptr, bench.inst(), 0, 4, 9, kExampleLine);
    ASSERT_FALSE(log.callsTo(Slot::writeDst).empty());
    for (const SlotCall &c : log.callsTo(Slot::writeDst)) {
        EXPECT_EQ(c.quad.a, 0x5A);
        EXPECT_EQ(c.frame, nullptr);
    }
    EXPECT_TRUE(log.callsTo(Slot::writeDstA).empty());
    const RgbaImage after = bench.working();
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x) EXPECT_EQ(after.at(x, y)[3], ex.working.at(x, y)[3]);
}

TEST(ColourSpan, LongHalvesRampInsteadOfStayingFlat) { checkLongHalves(smooth1, Slot::writeDst); }

TEST(ColourSpan, PositionsOutOfOrderNeverDivideByZero) {
    // The scan never passes these, but a half whose midpoint lies past the
    // step must come out empty rather than divide by a count of 0; whatever
    // is written stays on the line.
    const SpanExample rows = spanExample(Layout::row);
    const SpanExample columns = spanExample(Layout::column);
    const std::pair<BlendRoutine, bool> routines[] = {
        {smooth1, true},   {smooth2, true},   {smooth3, false},   {smooth4, false},
        {smooth1_a, true}, {smooth2_a, true}, {smooth3_a, false}, {smooth4_a, false},
    };
    for (auto [blend, alongRow] : routines)
        for (auto [runStart, stepAt, runEnd] : {std::tuple{6, 4, 4}, {4, 4, 2}, {2, 6, 4}, {7, 5, 9}}) {
            const SpanExample &ex = alongRow ? rows : columns;
            EngineBench bench(ex.source, ex.working);
            SlotLog log(bench.inst());
            blend(nullptr, bench.inst(), runStart, stepAt, runEnd, kExampleLine);
            for (const SlotCall &c : log.calls()) {
                if (c.slot != Slot::writeDst && c.slot != Slot::writeDstA) continue;
                EXPECT_EQ(alongRow ? c.y : c.x, kExampleLine);
            }
        }
}

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "call_log.h"
#include "engine/engine.h"
#include "engine/scan.h"
#include "support/engine_bench.h"

using namespace tavi::test;
using tavi::host::RgbaImage;
using Calls = std::vector<BlendCall>;

namespace {

constexpr std::uint8_t kWhite = 255;
constexpr std::uint8_t kBlack = 0;

// The 14 by 7 staircase: white above, black below, the boundary under row
// 4 in columns 0-4, under row 3 in columns 5-9, under row 2 in columns
// 10-13. `alpha` draws it in alpha (colour flat) instead of colour.
RgbaImage staircase(bool mirrored = false, bool alpha = false) {
    RgbaImage img = uniformImage(14, 7, 128, 128);
    for (int y = 0; y < 7; ++y)
        for (int col = 0; col < 14; ++col) {
            const int lastWhiteRow = col <= 4 ? 4 : col <= 9 ? 3 : 2;
            const std::uint8_t v = y <= lastWhiteRow ? kWhite : kBlack;
            const int x = mirrored ? 13 - col : col;
            if (alpha)
                img.at(x, y)[3] = v;
            else
                setGrey(img, x, y, v);
        }
    return img;
}

Calls scan(FilterInstance *inst, int full = 1, const FrameAccess *frame = nullptr) {
    BlendLog log;
    smoothWith(frame, inst, full, log.routines());
    return log.calls();
}

Calls scanImage(const RgbaImage &img, int mode, int threshold = 224) {
    EngineBench bench(img);
    bench.inst()->curMode = mode;
    bench.inst()->curThreshold = threshold;
    return scan(bench.inst());
}

Calls asAlpha(Calls calls) {
    for (BlendCall &c : calls) c.alpha = true;
    return calls;
}

const Calls kStaircaseCalls = {
    {1, false, 10, 12, 12, 2}, {1, false, 5, 9, 12, 3}, {1, false, 1, 4, 9, 4},
    {2, false, 4, 1, 1, 4},    {3, false, 4, 4, 4, 4},  {3, false, 3, 3, 3, 9},
};

const Calls kMirroredStaircaseCalls = {
    {1, false, 9, 12, 12, 4}, {2, false, 3, 1, 1, 2}, {2, false, 8, 4, 1, 3},
    {2, false, 12, 9, 4, 4},  {4, false, 4, 4, 4, 9}, {4, false, 3, 3, 3, 4},
};

// One call on every line of every pass, closed at the line's end: what a
// limit below 0 makes of any image.
Calls everyLineCalls(int width, int height) {
    Calls calls;
    const int xl = width - 2, yl = height - 2;
    for (int y = 1; y <= yl; ++y) calls.push_back({1, false, 1, xl, xl, y});
    for (int y = 1; y <= yl; ++y) calls.push_back({2, false, xl, 1, 1, y});
    for (int x = 1; x <= xl; ++x) calls.push_back({3, false, 1, yl, yl, x});
    for (int x = xl; x >= 1; --x) calls.push_back({4, false, 1, yl, yl, x});
    return calls;
}

Calls ofPasses(const Calls &calls, int firstPass, int lastPass) {
    Calls picked;
    for (const BlendCall &c : calls)
        if (c.pass >= firstPass && c.pass <= lastPass) picked.push_back(c);
    return picked;
}

// Three regions of an 8x5 frame: white above; below it `left` in columns
// 0-3 from row 3, and `right` from row 2 in column 4 and from row 1 in
// columns 5-7, so that the edge climbs a row at x = 4 and again at x = 5.
RgbaImage doubleStep(std::uint8_t left, std::uint8_t right, bool mirrored) {
    RgbaImage img = uniformImage(8, 5, kWhite, kWhite);
    for (int col = 0; col < 8; ++col) {
        const int firstBelow = col <= 3 ? 3 : col == 4 ? 2 : 1;
        for (int y = firstBelow; y < 5; ++y) setGrey(img, mirrored ? 7 - col : col, y, col <= 3 ? left : right);
    }
    return img;
}

// A black and white picture from rows of 'W' and 'B'.
RgbaImage fromRows(std::initializer_list<std::string_view> rows) {
    RgbaImage img = uniformImage(int(rows.begin()->size()), int(rows.size()), kBlack, kBlack);
    int y = 0;
    for (std::string_view row : rows) {
        for (int x = 0; x < int(row.size()); ++x) setGrey(img, x, y, row[std::size_t(x)] == 'W' ? kWhite : kBlack);
        ++y;
    }
    return img;
}

}  // namespace

TEST(Scan, StaircaseWorkedExample) { EXPECT_EQ(scanImage(staircase(), 1), kStaircaseCalls); }

TEST(Scan, MirroredStaircaseWorkedExample) { EXPECT_EQ(scanImage(staircase(true), 1), kMirroredStaircaseCalls); }

TEST(Scan, AlphaPassesFindTheSameStepsInAlpha) {
    EXPECT_EQ(scanImage(staircase(false, true), 2), asAlpha(kStaircaseCalls));
    EXPECT_EQ(scanImage(staircase(true, true), 2), asAlpha(kMirroredStaircaseCalls));
    EXPECT_EQ(scanImage(staircase(false, true), 1), Calls{}) << "colour passes ignore alpha";
    EXPECT_EQ(scanImage(staircase(false, false), 2), Calls{}) << "alpha passes ignore colour";
}

TEST(Scan, ModeBitsChooseTheGroupsColourFirst) {
    // The colour staircase and, in alpha, its mirror image.
    RgbaImage both = staircase();
    const RgbaImage alphaMirror = staircase(true, true);
    for (std::size_t i = 3; i < both.rgba.size(); i += 4) both.rgba[i] = alphaMirror.rgba[i];

    Calls colourThenAlpha = kStaircaseCalls;
    for (const BlendCall &c : asAlpha(kMirroredStaircaseCalls)) colourThenAlpha.push_back(c);

    EXPECT_EQ(scanImage(both, 0), Calls{});
    EXPECT_EQ(scanImage(both, 4), Calls{}) << "bits other than 0 and 1 are ignored";
    EXPECT_EQ(scanImage(both, 1), kStaircaseCalls);
    EXPECT_EQ(scanImage(both, 2), asAlpha(kMirroredStaircaseCalls));
    EXPECT_EQ(scanImage(both, 3), colourThenAlpha);
    EXPECT_EQ(scanImage(both, 7), colourThenAlpha);
}

TEST(Scan, SlopeRuleWeighsTheNextSlopeUnlessAcrossAndNextAreNearlyAlike) {
    // On row 2 at x = 3 (white, across `left`, next `right`) the slope is
    // s = 3|right - left| - 6(255 - right), and at the next position, where
    // the edge climbs again, t = 3|right - left| - 9(255 - right): stronger.
    // So the step at x = 3 is accepted only where `left` and `right` are
    // alike by 95. Row 1 steps at x = 4 either way (s = -9(255 - right)
    // against t = -6(255 - right)) and stays open to the line's end.
    //
    // right = 128: s = -378, t = -759, across and next 128 apart: no step,
    // and the run is dropped at x = 4.
    EXPECT_EQ(ofPasses(scanImage(doubleStep(0, 128, false), 1), 1, 1), (Calls{{1, false, 4, 4, 6, 1}}));
    // right = 60: s = -990, t = -1575, across and next 60 apart: the step
    // is accepted, and closes at x = 4 where (4, 2) and (5, 1) are alike.
    EXPECT_EQ(ofPasses(scanImage(doubleStep(0, 60, false), 1), 1, 1),
              (Calls{{1, false, 4, 4, 6, 1}, {1, false, 1, 3, 4, 2}}));

    // Mirrored, the rising rule of pass 2 decides the same way.
    EXPECT_EQ(ofPasses(scanImage(doubleStep(0, 128, true), 1), 2, 2), (Calls{{2, false, 3, 3, 1, 1}}));
    EXPECT_EQ(ofPasses(scanImage(doubleStep(0, 60, true), 1), 2, 2),
              (Calls{{2, false, 3, 3, 1, 1}, {2, false, 6, 4, 3, 2}}));
}

TEST(Scan, StepIsAcceptedWhereTheSlopeEqualsThePreviousOne) {
    // Pass 1, row 2: a run opens at x = 2 with slope -765; at x = 3 the
    // slope is -765 again, the next pixel is black and its slope -765: the
    // step is accepted there and closed at once. Row 3 steps at its first
    // position (slope -1530, next -1530) and closes at x = 3.
    const RgbaImage falling = fromRows({
        "WWWWWWW",
        "WWWWBBB",
        "WWWWBBB",
        "WWBBBBB",
        "BBBBBBB",
    });
    EXPECT_EQ(ofPasses(scanImage(falling, 1), 1, 1), (Calls{{1, false, 2, 3, 3, 2}, {1, false, 1, 1, 3, 3}}));

    // Pass 2, row 2: the run opens at x = 4 with slope 765 and meets 765
    // again at x = 3, where the next pixel turns black with slope 765.
    const RgbaImage rising = fromRows({
        "WWWWWWW",
        "BBBWWWW",
        "BBBWWWW",
        "BBBBBWW",
        "BBBBBWB",
    });
    EXPECT_EQ(ofPasses(scanImage(rising, 1), 1, 2), (Calls{{2, false, 4, 3, 3, 2}}));
}

TEST(Scan, StepWeakerThanTheRunsPreviousSlopeIsRefused) {
    // Pass 1, row 2: the run opens at x = 1 with slope -1530; at x = 2 the
    // next pixel turns black but the slope, -765, is weaker, so no step; at
    // x = 3 the edge is gone and the run is dropped.
    const RgbaImage img = fromRows({
        "BWWWWB",
        "BWWBBW",
        "WWWBBW",
        "WBBBBB",
    });
    EXPECT_EQ(ofPasses(scanImage(img, 1), 1, 1), Calls{});
}

TEST(Scan, EachRunStartsFromSlopeZero) {
    // Pass 2, row 1: the first run steps at x = 4 with slope 1530. The next
    // run opens at x = 2 with slope 765 and steps there: it is measured
    // against 0, not against the 1530 of the run before.
    const RgbaImage img = fromRows({
        "BBWWBW",
        "BWBWBB",
        "WWWWWW",
        "WWBBWW",
    });
    EXPECT_EQ(ofPasses(scanImage(img, 1), 2, 2), (Calls{{2, false, 4, 4, 4, 1}, {2, false, 2, 2, 1, 1}}));
}

TEST(Scan, ResumesJustAfterTheStep) {
    // Each blend notes how many source reads came before it; the next read
    // must be the current pixel at the position after stepAt, or the first
    // position of the next line when stepAt was the last.
    static SlotLog *slots = nullptr;
    static std::vector<std::pair<BlendCall, std::size_t>> marks;
    marks.clear();
    auto mark = [](const FrameAccess *, FilterInstance *, int runStart, int stepAt, int runEnd, int line) {
        marks.push_back({{1, false, runStart, stepAt, runEnd, line}, slots->calls().size()});
        return 0;
    };
    auto ignore = [](const FrameAccess *, FilterInstance *, int, int, int, int) { return 0; };
    const BlendRoutines pass1Marked{{mark, ignore, ignore, ignore}, {ignore, ignore, ignore, ignore}};

    EngineBench bench(staircase());
    bench.inst()->curMode = 1;
    SlotLog log(bench.inst());
    slots = &log;
    smoothWith(nullptr, bench.inst(), 1, pass1Marked);
    slots = nullptr;

    const std::vector<std::pair<int, int>> nextRead = {{1, 3}, {10, 3}, {5, 4}};
    ASSERT_EQ(marks.size(), nextRead.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].first, kStaircaseCalls[i]);
        const SlotCall &after = log.calls().at(marks[i].second);
        EXPECT_EQ(std::pair(after.x, after.y), nextRead[i]) << "after " << marks[i].first;
    }
}

TEST(Scan, ReadsCurrentAcrossNextDiagonalThroughTheSourceSlotOnly) {
    // A uniform 5x5 frame: no run opens, so each position reads exactly its
    // four pixels; nine positions per pass.
    for (int mode : {1, 2}) {
        EngineBench bench(uniformImage(5, 5, 60, 60));
        bench.inst()->curMode = mode;
        SlotLog log(bench.inst());
        EXPECT_EQ(scan(bench.inst()), Calls{});
        ASSERT_EQ(log.calls().size(), 4u * 36u);
        for (const SlotCall &c : log.calls()) EXPECT_EQ(c.slot, mode == 1 ? Slot::readSrc : Slot::readSrcA);
        const std::vector<std::pair<int, int>> firstOfPass[4] = {
            {{1, 1}, {1, 2}, {2, 1}, {2, 0}},
            {{3, 1}, {3, 2}, {2, 1}, {2, 0}},
            {{1, 1}, {2, 1}, {1, 2}, {0, 2}},
            {{3, 1}, {2, 1}, {3, 2}, {4, 2}},
        };
        for (int pass = 0; pass < 4; ++pass)
            for (int i = 0; i < 4; ++i) {
                const SlotCall &c = log.calls()[std::size_t(pass * 36 + i)];
                EXPECT_EQ(std::pair(c.x, c.y), firstOfPass[pass][i]) << "pass " << pass + 1 << " read " << i;
            }
    }
}

TEST(Scan, OnTheStaircaseTheScanReadsNothingButTheSource) {
    EngineBench bench(staircase());
    bench.inst()->curMode = 3;
    SlotLog log(bench.inst());
    scan(bench.inst());
    ASSERT_FALSE(log.calls().empty());
    for (const SlotCall &c : log.calls()) EXPECT_TRUE(c.slot == Slot::readSrc || c.slot == Slot::readSrcA);
}

TEST(Scan, FrameAccessIsHandedToEveryBlendUnchanged) {
    EngineBench bench(staircase());
    FrameAccess frame{};
    const Calls withFrame = scan(bench.inst(), 1, &frame);
    ASSERT_EQ(withFrame.size(), kStaircaseCalls.size());
    for (const BlendCall &c : withFrame) EXPECT_EQ(c.frame, &frame);
    const Calls withNull = scan(bench.inst(), 1, nullptr);
    ASSERT_EQ(withNull.size(), kStaircaseCalls.size());
    for (const BlendCall &c : withNull) EXPECT_EQ(c.frame, nullptr);
}

TEST(Scan, UniformImageMakesNoCall) {
    EXPECT_EQ(scanImage(uniformImage(12, 9, 200, 17), 3), Calls{});
    EXPECT_EQ(scanImage(uniformImage(12, 9, 200, 17), 3, 256), Calls{});
}

TEST(Scan, ThresholdSetsTheLimit) {
    EXPECT_EQ(scanImage(staircase(), 1, 0), Calls{}) << "threshold 0: nothing differs";
    EXPECT_EQ(scanImage(staircase(), 1, -40), Calls{});
    EXPECT_EQ(scanImage(staircase(), 1, INT_MIN), Calls{});

    // A faint edge of one level counts only at the largest threshold.
    RgbaImage faint = staircase();
    for (std::uint8_t &b : faint.rgba) b = b == kWhite ? 101 : b == kBlack ? 100 : b;
    EXPECT_EQ(scanImage(faint, 1, 255), Calls{});
    EXPECT_FALSE(scanImage(faint, 1, 256).empty());

    // Above 256 the limit is negative: even identical pixels differ, so every
    // line holds one run, closed at its end.
    for (int threshold : {257, 300, INT_MAX}) {
        SCOPED_TRACE(threshold);
        EXPECT_EQ(scanImage(uniformImage(6, 5, 90, 90), 1, threshold), everyLineCalls(6, 5));
        EXPECT_EQ(scanImage(uniformImage(6, 5, 90, 90), 2, threshold), asAlpha(everyLineCalls(6, 5)));
    }
}

TEST(Scan, FramesNarrowerOrShorterThanThreePixelsAreNotScanned) {
    for (auto [w, h] : {std::pair{2, 9}, {9, 2}, {1, 1}, {1, 9}, {9, 1}, {2, 2}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        EngineBench bench(patternImage(w, h));
        bench.inst()->curThreshold = 300;  // every pair differs
        SlotLog log(bench.inst());
        EXPECT_EQ(scan(bench.inst()), Calls{});
        EXPECT_TRUE(log.calls().empty());
    }
    // Three by three has a single interior position.
    EXPECT_EQ(scanImage(uniformImage(3, 3, 5, 5), 1, 300), everyLineCalls(3, 3));
}

TEST(Scan, StraightEdgesCloseAtTheEndOfTheLine) {
    RgbaImage rows = uniformImage(10, 8, kWhite, kWhite);
    for (int y = 4; y < 8; ++y)
        for (int x = 0; x < 10; ++x) setGrey(rows, x, y, kBlack);
    EXPECT_EQ(scanImage(rows, 1), (Calls{{1, false, 1, 8, 8, 3}, {2, false, 8, 1, 1, 3}}));

    RgbaImage columns = uniformImage(10, 8, kWhite, kWhite);
    for (int y = 0; y < 8; ++y)
        for (int x = 6; x < 10; ++x) setGrey(columns, x, y, kBlack);
    EXPECT_EQ(scanImage(columns, 1), (Calls{{3, false, 1, 6, 6, 5}, {4, false, 1, 6, 6, 6}}));
}

TEST(Scan, LonePixels) {
    RgbaImage centre = uniformImage(9, 9, kBlack, kBlack);
    setGrey(centre, 4, 4, kWhite);
    EXPECT_EQ(scanImage(centre, 1), Calls{}) << "its runs have slope 0 and end at the next position";

    // In the last scanned column it closes runs at once in pass 1: on its own
    // row and on the row before.
    RgbaImage edge = uniformImage(9, 9, kBlack, kBlack);
    setGrey(edge, 7, 4, kWhite);
    Calls pass1;
    for (const BlendCall &c : scanImage(edge, 1))
        if (c.pass == 1) pass1.push_back(c);
    EXPECT_EQ(pass1, (Calls{{1, false, 7, 7, 7, 3}, {1, false, 7, 7, 7, 4}}));
}

TEST(Scan, RunThatLosesItsEdgeBeforeAStepIsDropped) {
    // A black block under row 2 in columns 0-4 only: pass 1 follows the edge
    // from x = 1 and loses it at x = 5 without a step. Pass 2 meets the same
    // edge from its other end and closes it at the line's end.
    RgbaImage img = uniformImage(10, 6, kWhite, kWhite);
    for (int y = 3; y < 6; ++y)
        for (int x = 0; x < 5; ++x) setGrey(img, x, y, kBlack);
    Calls rowPasses;
    for (const BlendCall &c : scanImage(img, 1))
        if (c.pass <= 2) rowPasses.push_back(c);
    EXPECT_EQ(rowPasses, (Calls{{2, false, 4, 1, 1, 2}}));
}

TEST(Scan, PreviewScansTheWindowInteriorWhateverTheFrameSize) {
    // A frame smaller than the window: reads past it are clamped, so its
    // edges run on to the window's border.
    RgbaImage rows = uniformImage(100, 80, kWhite, kWhite);
    for (int y = 40; y < 80; ++y)
        for (int x = 0; x < 100; ++x) setGrey(rows, x, y, kBlack);
    RgbaImage columns = uniformImage(100, 80, kWhite, kWhite);
    for (int y = 0; y < 80; ++y)
        for (int x = 50; x < 100; ++x) setGrey(columns, x, y, kBlack);

    for (const RgbaImage *img : {&rows, &columns}) {
        EngineBench bench(*img);
        bindPreview(bench.inst());
        bench.inst()->viewX = 10;
        bench.inst()->viewY = 5;
        bench.inst()->curMode = 1;
        const Calls calls = scan(bench.inst(), 0);
        if (img == &rows)
            EXPECT_EQ(calls, (Calls{{1, false, 11, 328, 328, 39}, {2, false, 328, 11, 11, 39}}));
        else
            EXPECT_EQ(calls, (Calls{{3, false, 6, 243, 243, 49}, {4, false, 6, 243, 243, 50}}));
    }

    // The full flag scans the frame instead.
    EngineBench bench(rows);
    bench.inst()->viewX = 10;
    bench.inst()->viewY = 5;
    bench.inst()->curMode = 1;
    EXPECT_EQ(scan(bench.inst(), 1), (Calls{{1, false, 1, 98, 98, 39}, {2, false, 98, 1, 1, 39}}));
}

TEST(Scan, PreviewRunBlendsTheWindowAsAFullRunWouldAndLeavesTheSource) {
    // The 14x7 staircase seen through a window at (0, 0): the window holds the
    // frame with its edge pixels repeated, as the clamped reads see it.
    const RgbaImage img = staircase();
    RgbaImage window(kPreviewWidth, kPreviewHeight);
    for (int wy = 0; wy < kPreviewHeight; ++wy)
        for (int wx = 0; wx < kPreviewWidth; ++wx) {
            const std::uint8_t *p = img.at(std::min(wx, img.width - 1), std::min(wy, img.height - 1));
            std::copy(p, p + 4, window.at(wx, wy));
        }

    EngineBench full(window);
    smooth(nullptr, full.inst(), 1);
    ASSERT_NE(full.working(), window) << "the staircase is blended";

    EngineBench preview(img);
    FilterInstance *inst = preview.inst();
    bindPreview(inst);
    for (int wy = 0; wy < kPreviewHeight; ++wy)
        for (int wx = 0; wx < kPreviewWidth; ++wx) {
            const std::size_t i = std::size_t(wy) * kPreviewWidth + std::size_t(wx);
            const std::uint8_t *p = window.at(wx, wy);
            inst->prevR[i] = p[0];
            inst->prevG[i] = p[1];
            inst->prevB[i] = p[2];
            inst->prevA[i] = p[3];
        }
    smooth(nullptr, inst, 0);

    EXPECT_EQ(preview.working(), img) << "the frame planes are the source and only read";
    const RgbaImage expected = full.working();
    int mismatches = 0;
    for (int wy = 0; wy < kPreviewHeight; ++wy)
        for (int wx = 0; wx < kPreviewWidth; ++wx) {
            const std::size_t i = std::size_t(wy) * kPreviewWidth + std::size_t(wx);
            const std::uint8_t *e = expected.at(wx, wy);
            mismatches +=
                inst->prevR[i] != e[0] || inst->prevG[i] != e[1] || inst->prevB[i] != e[2] || inst->prevA[i] != e[3];
        }
    EXPECT_EQ(mismatches, 0);
}

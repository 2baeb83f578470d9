// The direct path against the slots: the same bytes for every picture,
// size, setting and window, and the same calls to the host.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "call_log.h"
#include "engine/direct_path.h"
#include "engine/engine.h"
#include "support/engine_bench.h"
#include "filter/pixel_access.h"
#include "filter/process.h"
#include "generated_images.h"
#include "support/recording_frame.h"

using namespace tavi::test;
using tavi::host::RgbaImage;

namespace {

struct Settings {
    int mode;
    int strength;
    int threshold;
};

std::string describe(const Settings &s) {
    std::ostringstream out;
    out << "curMode " << s.mode << ", curStrength " << s.strength << ", curThreshold " << s.threshold;
    return out.str();
}

void apply(FilterInstance *inst, const Settings &s) {
    inst->curMode = s.mode;
    inst->curStrength = s.strength;
    inst->curThreshold = s.threshold;
}

constexpr int kStrengths[] = {0, 1, 50, 99, 100, -5, 150, INT_MAX, INT_MIN};
// 2 and 255 put the limit next to the ends of the byte range (254 and 1).
constexpr int kThresholds[] = {0, 1, 2, 95, 224, 255, 256, -1, 300, INT_MIN, INT_MAX};
constexpr int kModes[] = {1, 2, 3};

// Every threshold and every strength with each channel choice, some of
// them crossed, and modes that select nothing or more than both groups.
std::vector<Settings> settingsSweep() {
    std::vector<Settings> all;
    for (int mode : kModes) {
        for (int threshold : kThresholds) all.push_back({mode, 100, threshold});
        for (int strength : kStrengths) all.push_back({mode, strength, 224});
    }
    for (int i = 0; i < 9; ++i) all.push_back({kModes[i % 3], kStrengths[i], kThresholds[(4 * i + 1) % 11]});
    for (int mode : {0, 4, 7, -1}) all.push_back({mode, 100, 224});
    return all;
}

// The default settings and the extremes of the threshold, for the larger
// pictures.
std::vector<Settings> settingsSample() {
    return {{3, 100, 224}, {3, 50, 256}, {1, 99, 95}, {2, 1, 1}, {3, 150, 256}, {3, INT_MIN, INT_MAX}};
}

::testing::AssertionResult sameImages(const RgbaImage &expected, const RgbaImage &actual) {
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "sizes differ";
    long differing = 0;
    std::ostringstream first;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            for (int c = 0; c < 4; ++c)
                if (expected.at(x, y)[c] != actual.at(x, y)[c] && differing++ == 0)
                    first << "pixel (" << x << ", " << y << ") channel " << c << ": slots " << int(expected.at(x, y)[c])
                          << ", direct " << int(actual.at(x, y)[c]);
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " bytes differ, first at " << first.str();
}

// The engine over a whole frame through the slots and directly, the
// working image starting as `working`; the direct path must take the run.
::testing::AssertionResult sameFrameResult(const RgbaImage &source, const RgbaImage &working, const Settings &s) {
    EngineBench slots(source, working);
    EngineBench direct(source, working);
    apply(slots.inst(), s);
    apply(direct.inst(), s);
    smoothThroughSlots(nullptr, slots.inst(), 1);
    if (!smoothDirect(nullptr, direct.inst(), 1))
        return ::testing::AssertionFailure() << "the direct path refused the full-frame binding";
    return sameImages(slots.working(), direct.working());
}

void expectSameFrames(const NamedImage &picture, const std::vector<Settings> &settings) {
    for (const Settings &s : settings)
        EXPECT_TRUE(sameFrameResult(picture.image, picture.image, s))
            << picture.name << " " << picture.image.width << "x" << picture.image.height << ", " << describe(s);
}

// Every kind of picture at the smallest sizes; two kinds in turn at each
// larger one, around the 64-pixel words of edge tests.
std::vector<NamedImage> smallPictures() {
    std::vector<NamedImage> pictures;
    auto make = [](int kind, int w, int h, unsigned seed) -> NamedImage {
        switch (kind) {
        case 0: return {"two-level noise", noiseImage(w, h, 2, seed)};
        case 1: return {"four-level noise", noiseImage(w, h, 4, seed)};
        case 2: return {"noise", noiseImage(w, h, 256, seed)};
        case 3: return {"blocks", blockImage(w, h, seed)};
        default: return {"discs", discImage(w, h, seed)};
        }
    };
    const int smallest[][2] = {{3, 3}, {4, 3}, {3, 9}, {5, 7}, {17, 3}, {9, 16}};
    const int larger[][2] = {{31, 33}, {63, 65}, {64, 64}, {65, 66}, {66, 67}, {67, 40}, {130, 21}};
    unsigned seed = 1;
    for (const auto &size : smallest)
        for (int kind = 0; kind < 5; ++kind) pictures.push_back(make(kind, size[0], size[1], seed++));
    int turn = 0;
    for (const auto &size : larger)
        for (int k = 0; k < 2; ++k) pictures.push_back(make(turn++ % 5, size[0], size[1], seed++));
    for (const double slope : {1.0 / 7, -1.0 / 5, 2.0 / 9, -1.0 / 13})
        for (const bool steep : {false, true})
            pictures.push_back({"stripes", stripeImage(47, 38, slope, 9 + 4 * slope, steep)});
    pictures.push_back({"sample", sampleImage(70, 40)});
    return pictures;
}

}  // namespace

TEST(DirectPath, TakesOnlyTheTwoStandardBindings) {
    const RgbaImage img = blockImage(20, 12, 7);
    {
        EngineBench bench(img);
        EXPECT_TRUE(smoothDirect(nullptr, bench.inst(), 1)) << "full-frame binding over the whole frame";
    }
    {
        EngineBench bench(img);
        EXPECT_FALSE(smoothDirect(nullptr, bench.inst(), 0)) << "full-frame binding over a window";
        EXPECT_EQ(bench.working(), img);
    }
    {
        EngineBench bench(img);
        bindPreview(bench.inst());
        EXPECT_TRUE(smoothDirect(nullptr, bench.inst(), 0)) << "preview binding over the window";
    }
    {
        EngineBench bench(img);
        bindPreview(bench.inst());
        EXPECT_FALSE(smoothDirect(nullptr, bench.inst(), 1)) << "preview binding over the whole frame";
    }
    {
        // One slot bound to something else is another binding.
        EngineBench bench(img);
        bench.inst()->curThreshold = 256;
        SlotLog log(bench.inst());
        EXPECT_FALSE(smoothDirect(nullptr, bench.inst(), 1));
        EXPECT_TRUE(log.calls().empty());
        smooth(nullptr, bench.inst(), 1);
        EXPECT_FALSE(log.callsTo(Slot::readSrc).empty()) << "smooth goes through the slots then";
    }
    {
        EngineBench bench(img);
        bench.inst()->writeDstA = writeP_a;
        EXPECT_FALSE(smoothDirect(nullptr, bench.inst(), 1));
    }
}

TEST(DirectPath, FramesMatchTheSlotsOnSmallPicturesWithEverySetting) {
    const std::vector<Settings> settings = settingsSweep();
    for (const NamedImage &picture : smallPictures()) expectSameFrames(picture, settings);
}

TEST(DirectPath, FramesMatchTheSlotsOnLargerPictures) {
    const std::vector<Settings> settings = settingsSample();
    expectSameFrames({"sample", sampleImage(320, 180)}, settings);
    expectSameFrames({"sample", sampleImage(301, 203)}, settings);
    expectSameFrames({"discs", discImage(257, 131, 11)}, settings);
    expectSameFrames({"blocks", blockImage(200, 150, 12)}, settings);
    expectSameFrames({"four-level noise", noiseImage(190, 97, 4, 13)}, settings);
    expectSameFrames({"stripes", stripeImage(240, 160, 1.0 / 11, 14, false)}, settings);
    expectSameFrames({"steep stripes", stripeImage(160, 240, -1.0 / 6, 11, true)}, settings);
}

TEST(DirectPath, FramesWiderThanOneSweepOrOneRowOfKeptWords) {
    // Column passes sweep at most 1024 columns at once, and a row keeps at
    // most 128 words of edge tests; past either the work is split.
    const std::vector<Settings> settings = {{3, 100, 224}, {3, 60, 256}, {1, 100, 300}};
    expectSameFrames({"blocks", blockImage(1100, 30, 21)}, settings);
    expectSameFrames({"two-level noise", noiseImage(1030, 9, 2, 22)}, settings);
    expectSameFrames({"discs", discImage(2100, 12, 23)}, settings);
    expectSameFrames({"stripes", stripeImage(8300, 4, 1.0 / 40, 7, false)}, settings);
    expectSameFrames({"four-level noise", noiseImage(8400, 3, 4, 24)}, settings);
}

TEST(DirectPath, FramesNarrowerOrShorterThanThreePixels) {
    const std::vector<Settings> settings = settingsSweep();
    const int sizes[][2] = {{1, 1}, {2, 2}, {1, 9}, {9, 1}, {2, 17}, {17, 2}, {2, 3}, {3, 2}};
    unsigned seed = 100;
    for (const auto &size : sizes) expectSameFrames({"noise", noiseImage(size[0], size[1], 2, seed++)}, settings);
}

TEST(DirectPath, TheWorkingImageNeedNotStartAsTheSource) {
    // Only the source decides where to blend; what is blended is whatever
    // the working image holds.
    for (unsigned seed = 0; seed < 6; ++seed) {
        const RgbaImage source = discImage(41, 37, 30 + seed);
        const RgbaImage working = noiseImage(41, 37, 256, 40 + seed);
        for (const Settings &s : settingsSample())
            EXPECT_TRUE(sameFrameResult(source, working, s)) << "seed " << seed << ", " << describe(s);
    }
}

TEST(DirectPath, TaviProcessMakesTheSameHostCallsAsTheSlotRoute) {
    const NamedImage pictures[] = {
        {"sample", sampleImage(96, 54)},
        {"discs", discImage(61, 47, 51)},
        {"two-level noise", noiseImage(23, 19, 2, 52)},
        {"tiny", noiseImage(2, 2, 4, 53)},
        {"one pixel", noiseImage(1, 1, 256, 54)},
    };
    for (const NamedImage &picture : pictures)
        for (int target : {0, 1, 2, 3, -1})
            for (int enabled : {0, 1})
                for (const Settings &s : settingsSample()) {
                    SCOPED_TRACE(picture.name + ", target " + std::to_string(target) + ", enabled " +
                                 std::to_string(enabled) + ", " + describe(s));
                    RecordingFrame slotFrame(picture.image);
                    RecordingFrame directFrame(picture.image);
                    InstancePtr slots = makeInstance();
                    InstancePtr direct = makeInstance();
                    for (FilterInstance *inst : {slots.get(), direct.get()}) {
                        inst->target = target;
                        inst->enabled = std::uint8_t(enabled);
                        inst->strength = s.strength;
                        inst->threshold = s.threshold;
                    }
                    TaviProcessThroughSlots(slots.get(), slotFrame.bind());
                    TaviProcess(direct.get(), directFrame.bind());

                    ASSERT_EQ(slotFrame.puts().size(), directFrame.puts().size());
                    EXPECT_TRUE(slotFrame.puts() == directFrame.puts()) << "put calls differ";
                    EXPECT_TRUE(sameImages(slotFrame.output(), directFrame.output()));
                    EXPECT_EQ(slotFrame.getRowCalls(), directFrame.getRowCalls());
                    EXPECT_EQ(direct->haveFrame, 1);
                    EXPECT_TRUE(sameImages(picture.image, framePlanes(direct.get())))
                        << "the frame planes hold the unfiltered frame afterwards";
                }
}

TEST(DirectPath, TaviProcessMatchesOnALargerFrame) {
    const RgbaImage input = sampleImage(400, 225);
    for (int target : {0, 1, 2}) {
        RecordingFrame slotFrame(input);
        RecordingFrame directFrame(input);
        InstancePtr slots = makeInstance();
        InstancePtr direct = makeInstance();
        slots->target = direct->target = target;
        TaviProcessThroughSlots(slots.get(), slotFrame.bind());
        TaviProcess(direct.get(), directFrame.bind());
        EXPECT_TRUE(slotFrame.puts() == directFrame.puts()) << "target " << target;
        EXPECT_NE(directFrame.output(), input) << "the sample has steps to blend";
    }
}

namespace {

// Direct: the direct path must take the run. Smooth: whichever path
// smooth chooses.
enum class PreviewRoute {
    direct,
    smooth
};

// The preview's window over `frame` at (viewX, viewY), the preview planes
// starting as `previewBytes` (320 x 240 x 4, plane by plane), run through
// the slots and by `route`.
::testing::AssertionResult samePreviewResult(const RgbaImage &frame, int viewX, int viewY, const Settings &s,
                                             const std::vector<std::uint8_t> &previewBytes,
                                             PreviewRoute route = PreviewRoute::direct) {
    EngineBench slots(frame);
    EngineBench direct(frame);
    for (EngineBench *bench : {&slots, &direct}) {
        FilterInstance *inst = bench->inst();
        bindPreview(inst);
        inst->viewX = viewX;
        inst->viewY = viewY;
        apply(inst, s);
        std::uint8_t *planes[4] = {inst->prevR, inst->prevG, inst->prevB, inst->prevA};
        for (int c = 0; c < 4; ++c)
            std::memcpy(planes[c], previewBytes.data() + std::size_t(c) * kPreviewPlaneSize, kPreviewPlaneSize);
    }
    smoothThroughSlots(nullptr, slots.inst(), 0);
    if (route == PreviewRoute::smooth)
        smooth(nullptr, direct.inst(), 0);
    else if (!smoothDirect(nullptr, direct.inst(), 0))
        return ::testing::AssertionFailure() << "the direct path refused the preview binding";
    if (direct.working() != frame) return ::testing::AssertionFailure() << "the frame planes were written";
    const FilterInstance *a = slots.inst();
    const FilterInstance *b = direct.inst();
    const std::uint8_t *expected[4] = {a->prevR, a->prevG, a->prevB, a->prevA};
    const std::uint8_t *actual[4] = {b->prevR, b->prevG, b->prevB, b->prevA};
    for (int c = 0; c < 4; ++c)
        for (int n = 0; n < kPreviewPlaneSize; ++n)
            if (expected[c][n] != actual[c][n])
                return ::testing::AssertionFailure()
                       << "window pixel (" << n % kPreviewWidth << ", " << n / kPreviewWidth << ") channel " << c
                       << ": slots " << int(expected[c][n]) << ", direct " << int(actual[c][n]);
    return ::testing::AssertionSuccess();
}

// The preview planes as "Draw" leaves them at zoom factor `scale`: the
// shown block copied from the frame (0 outside it), the rest as an
// earlier draw left it (noise here).
std::vector<std::uint8_t> drawnWindow(const RgbaImage &frame, int viewX, int viewY, int scale, unsigned seed) {
    std::vector<std::uint8_t> bytes(std::size_t(kPreviewPlaneSize) * 4);
    std::mt19937 random(seed);
    for (std::uint8_t &b : bytes) b = std::uint8_t(random());
    for (int i = 0; i < kPreviewHeight / scale; ++i)
        for (int k = 0; k < kPreviewWidth / scale; ++k) {
            const int x = viewX + k;
            const int y = viewY + i;
            const bool inside = x >= 0 && y >= 0 && x < frame.width && y < frame.height;
            for (int c = 0; c < 4; ++c)
                bytes[std::size_t(c) * kPreviewPlaneSize + std::size_t(i * kPreviewWidth + k)] =
                    inside ? frame.at(x, y)[c] : 0;
        }
    return bytes;
}

}  // namespace

TEST(DirectPath, PreviewMatchesTheSlotsOverSmallAndLargeFrames) {
    struct Case {
        NamedImage frame;
        int viewX;
        int viewY;
    };
    const Case cases[] = {
        {{"one pixel", noiseImage(1, 1, 256, 61)}, 0, 0},
        {{"tiny", noiseImage(3, 3, 2, 62)}, 0, 0},
        {{"blocks", blockImage(200, 100, 63)}, 0, 0},
        {{"discs", discImage(100, 80, 64)}, 10, 5},
        {{"sample", sampleImage(500, 400)}, 100, 50},
        {{"sample", sampleImage(500, 400)}, 180, 160},
        {{"two-level noise", noiseImage(400, 300, 2, 65)}, 40, 30},
        {{"stripes", stripeImage(640, 360, 1.0 / 9, 12, false)}, 320, 120},
    };
    // The zoom decides only how much of the window "Draw" refreshes.
    const int scales[] = {1, 2, 8};
    unsigned seed = 70;
    for (const Case &c : cases) {
        const int scale = scales[seed % 3];
        const std::vector<std::uint8_t> window = drawnWindow(c.frame.image, c.viewX, c.viewY, scale, seed++);
        for (const Settings &s : settingsSample())
            EXPECT_TRUE(samePreviewResult(c.frame.image, c.viewX, c.viewY, s, window))
                << c.frame.name << " at (" << c.viewX << ", " << c.viewY << "), zoom " << scale << ", " << describe(s);
    }
}

TEST(DirectPath, PreviewWithEverySetting) {
    const RgbaImage frame = discImage(360, 260, 80);
    const std::vector<std::uint8_t> window = drawnWindow(frame, 20, 10, 1, 81);
    for (const Settings &s : settingsSweep()) EXPECT_TRUE(samePreviewResult(frame, 20, 10, s, window)) << describe(s);
}

TEST(DirectPath, PreviewWindowPartlyOrWhollyOutsideTheFrame) {
    // "Draw" does not clamp the window, so after a smaller frame it can
    // hang past the frame's edges, or lie beyond them altogether.
    const RgbaImage frame = blockImage(400, 300, 90);
    const int views[][2] = {{300, 0},  {0, 200},   {250, 250}, {399, 299}, {400, 300},
                            {680, 10}, {-50, -30}, {-400, 20}, {5, -300}};
    unsigned seed = 91;
    for (const auto &view : views) {
        const std::vector<std::uint8_t> window = drawnWindow(frame, view[0], view[1], 1, seed++);
        for (const Settings &s : settingsSample())
            EXPECT_TRUE(samePreviewResult(frame, view[0], view[1], s, window))
                << "window at (" << view[0] << ", " << view[1] << "), " << describe(s);
    }
}

TEST(DirectPath, PreviewWindowTooFarOutIsLeftToTheSlots) {
    const RgbaImage frame = discImage(50, 40, 95);
    const int farX = 1 << 29;
    const int farY = -(1 << 29);
    {
        EngineBench bench(frame);
        bindPreview(bench.inst());
        bench.inst()->viewX = farX;
        EXPECT_FALSE(smoothDirect(nullptr, bench.inst(), 0));
    }
    const std::vector<std::uint8_t> window = drawnWindow(frame, farX, farY, 1, 96);
    for (const Settings &s : settingsSample())
        EXPECT_TRUE(samePreviewResult(frame, farX, farY, s, window, PreviewRoute::smooth)) << describe(s);
}

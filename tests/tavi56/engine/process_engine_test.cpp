#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "support/engine_bench.h"
#include "filter/process.h"
#include "support/instance_fixture.h"
#include "host/loader/memory_frame.h"

using namespace tavi::test;
using tavi::host::MemoryFrame;
using tavi::host::RgbaImage;

namespace {

constexpr int kSize = 40;
constexpr double kCentreX = 19.3;
constexpr double kCentreY = 20.6;
constexpr double kRadius = 13.2;
constexpr std::uint8_t kInside[4] = {230, 190, 40, 255};
constexpr std::uint8_t kOutside[4] = {20, 40, 100, 0};

bool insideDisc(double x, double y) { return std::hypot(x - kCentreX, y - kCentreY) < kRadius; }

// A disc rendered without anti-aliasing: each pixel takes the colour and
// alpha at its centre.
RgbaImage hardDisc() {
    RgbaImage img(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const std::uint8_t *c = insideDisc(x + 0.5, y + 0.5) ? kInside : kOutside;
            std::copy(c, c + 4, img.at(x, y));
        }
    return img;
}

// Sum over all pixels and the given channels of the squared distance from
// the disc's true coverage, sampled 16 x 16 per pixel: what PSNR counts.
double errorFromCoverage(const RgbaImage &img, int firstChannel, int lastChannel) {
    double total = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 16; ++sy)
                for (int sx = 0; sx < 16; ++sx) hits += insideDisc(x + (sx + 0.5) / 16, y + (sy + 0.5) / 16);
            const double coverage = hits / 256.0;
            for (int c = firstChannel; c <= lastChannel; ++c) {
                const double truth = kOutside[c] + coverage * (kInside[c] - kOutside[c]);
                total += std::pow(img.at(x, y)[c] - truth, 2);
            }
        }
    return total;
}

bool sameChannels(const RgbaImage &a, const RgbaImage &b, int firstChannel, int lastChannel) {
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            for (int c = firstChannel; c <= lastChannel; ++c)
                if (a.at(x, y)[c] != b.at(x, y)[c]) return false;
    return true;
}

bool planesHold(const FilterInstance *inst, const RgbaImage &img) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(img.width) + std::size_t(x);
            const std::uint8_t *p = img.at(x, y);
            if (inst->bufR[i] != p[0] || inst->bufG[i] != p[1] || inst->bufB[i] != p[2] || inst->bufA[i] != p[3])
                return false;
        }
    return true;
}

struct Settings {
    int target = 2;
    int strength = 100;
    int threshold = 224;
};

struct Processed {
    InstancePtr inst;
    RgbaImage output;
};

// One frame through TaviProcess with the filter enabled.
Processed processFrame(const RgbaImage &input, Settings settings) {
    Processed result{makeInstance(), {}};
    FilterInstance *inst = result.inst.get();
    inst->target = settings.target;
    inst->strength = settings.strength;
    inst->threshold = settings.threshold;
    MemoryFrame frame(input);
    TaviProcess(inst, frame.bind());
    result.output = frame.output();
    return result;
}

RgbaImage process(const RgbaImage &input, Settings settings) { return processFrame(input, settings).output; }

}  // namespace

TEST(ProcessEngine, AntiAliasesAHardEdgedDisc) {
    const RgbaImage input = hardDisc();
    const Processed run = processFrame(input, {});
    const RgbaImage &output = run.output;
    ASSERT_EQ(run.inst->enabled, 1);

    EXPECT_TRUE(planesHold(run.inst.get(), input)) << "the frame planes keep the unfiltered frame";
    EXPECT_LT(errorFromCoverage(output, 0, 3), 0.8 * errorFromCoverage(input, 0, 3));

    int blended = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const std::uint8_t *in = input.at(x, y);
            const std::uint8_t *out = output.at(x, y);
            if (std::equal(in, in + 4, out)) continue;
            ++blended;
            // Only pixels along the rim change, to values between the two sides.
            const double fromRim = std::hypot(x + 0.5 - kCentreX, y + 0.5 - kCentreY) - kRadius;
            EXPECT_LT(std::abs(fromRim), 2.0) << "pixel " << x << ", " << y;
            for (int c = 0; c < 4; ++c) {
                EXPECT_GE(out[c], std::min(kInside[c], kOutside[c]));
                EXPECT_LE(out[c], std::max(kInside[c], kOutside[c]));
            }
        }
    EXPECT_GT(blended, 40);
}

TEST(ProcessEngine, TargetChoosesTheChannelsTreated) {
    const RgbaImage input = hardDisc();
    const RgbaImage rgbOnly = process(input, {.target = 0});
    EXPECT_TRUE(sameChannels(rgbOnly, input, 3, 3)) << "\"RGB only\" never changes alpha";
    EXPECT_FALSE(sameChannels(rgbOnly, input, 0, 2));
    EXPECT_LT(errorFromCoverage(rgbOnly, 0, 2), 0.8 * errorFromCoverage(input, 0, 2));

    const RgbaImage alphaOnly = process(input, {.target = 1});
    EXPECT_TRUE(sameChannels(alphaOnly, input, 0, 2)) << "\"Alpha only\" never changes colour";
    EXPECT_FALSE(sameChannels(alphaOnly, input, 3, 3));
    EXPECT_LT(errorFromCoverage(alphaOnly, 3, 3), 0.8 * errorFromCoverage(input, 3, 3));

    // Colour and alpha edges coincide here, so each group treats its own
    // channels as it would alone.
    const RgbaImage both = process(input, {.target = 2});
    EXPECT_TRUE(sameChannels(both, rgbOnly, 0, 2));
    EXPECT_TRUE(sameChannels(both, alphaOnly, 3, 3));
}

TEST(ProcessEngine, SettingsThatLeaveEveryFrameUnchanged) {
    const RgbaImage disc = hardDisc();
    const RgbaImage pattern = patternImage(23, 17);
    for (const RgbaImage *input : {&disc, &pattern}) {
        EXPECT_EQ(process(*input, {.strength = 0}), *input) << "strength 0";
        EXPECT_EQ(process(*input, {.strength = -30}), *input) << "negative strength";
        EXPECT_EQ(process(*input, {.threshold = 0}), *input) << "threshold 0";
        EXPECT_EQ(process(*input, {.threshold = -7}), *input) << "negative threshold";
    }
    const RgbaImage uniform = uniformImage(30, 20, 93, 200);
    EXPECT_EQ(process(uniform, {.threshold = 256}), uniform);
    EXPECT_EQ(process(uniform, {.threshold = 1000}), uniform) << "every pair differs, but all are alike";
}

TEST(ProcessEngine, FramesUnderThreePixelsAcrossAreUnchanged) {
    for (auto [w, h] : {std::pair{2, 30}, {30, 2}, {1, 1}, {2, 2}}) {
        const RgbaImage input = patternImage(w, h);
        EXPECT_EQ(process(input, {.threshold = 300}), input) << w << "x" << h;
    }
}

TEST(ProcessEngine, StrengthAboveAHundredActsAsAHundred) {
    const RgbaImage input = hardDisc();
    const RgbaImage full = process(input, {});
    EXPECT_EQ(process(input, {.strength = 250}), full);
    EXPECT_EQ(process(input, {.strength = 2147483647}), full);
    const RgbaImage half = process(input, {.strength = 50});
    EXPECT_NE(half, full);
    EXPECT_NE(half, input);
}

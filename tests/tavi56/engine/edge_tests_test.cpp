#include <gtest/gtest.h>

#include <vector>

#include "call_log.h"
#include "engine/edge_tests.h"
#include "support/engine_bench.h"

using namespace tavi::test;
using tavi::host::RgbaImage;

namespace {

constexpr std::uint8_t kBlack = 0;
constexpr std::uint8_t kWhite = 255;

// A 3x3 picture, white in colour and alpha but for the listed pixels, black.
RgbaImage neighbourhood(std::initializer_list<std::pair<int, int>> black) {
    RgbaImage img = uniformImage(3, 3, kWhite, kWhite);
    for (auto [x, y] : black) {
        setGrey(img, x, y, kBlack);
        img.at(x, y)[3] = kBlack;
    }
    return img;
}

int slopeAtCentre(const RgbaImage &img) {
    EngineBench bench(img);
    return katamuki(bench.inst(), 1, 1);
}

int alphaSlopeAtCentre(const RgbaImage &img) {
    EngineBench bench(img);
    return katamuki_a(bench.inst(), 1, 1);
}

}  // namespace

TEST(Cmpdata, WorkedPairDiffersOnlyBelowItsLargestChannelDifference) {
    const PixelQuad p{10, 200, 30, 0};
    const PixelQuad q{40, 190, 30, 0};
    EXPECT_EQ(cmpdata(p, q, 32), 0);
    EXPECT_EQ(cmpdata(p, q, 30), 0) << "a difference equal to the limit is alike";
    EXPECT_EQ(cmpdata(p, q, 29), 1);
    EXPECT_EQ(kata_s(p, q), 40);
    EXPECT_EQ(kata_s(q, p), 40);
}

TEST(Cmpdata, EachChannelIsTestedOnItsOwn) {
    const PixelQuad base{100, 100, 100, 7};
    auto withChannel = [&](int channel, std::uint8_t value) {
        PixelQuad q = base;
        (channel == 0 ? q.r : channel == 1 ? q.g : q.b) = value;
        return q;
    };
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(cmpdata(base, withChannel(channel, 120), 20), 0) << "channel " << channel;
        EXPECT_EQ(cmpdata(base, withChannel(channel, 121), 20), 1) << "channel " << channel;
        EXPECT_EQ(cmpdata(base, withChannel(channel, 79), 20), 1) << "channel " << channel;
    }
    // Channels are not summed: 20 + 20 + 20 stays alike at limit 20.
    EXPECT_EQ(cmpdata(base, PixelQuad{120, 80, 120, 7}, 20), 0);
}

TEST(Cmpdata, ColourAndAlphaTestsIgnoreEachOthersBytes) {
    const PixelQuad p{50, 60, 70, 0};
    const PixelQuad q{50, 60, 70, 255};
    EXPECT_EQ(cmpdata(p, q, 0), 0);
    EXPECT_EQ(cmpdata_a(p, q, 0), 1);
    const PixelQuad r{250, 0, 0, 0};
    EXPECT_EQ(cmpdata_a(p, r, 0), 0);
    EXPECT_EQ(cmpdata(p, r, 0), 1);
    EXPECT_EQ(kata_s(p, q), 0);
    EXPECT_EQ(kata_s_a(p, q), 255);
    EXPECT_EQ(kata_s_a(q, p), 255);
    EXPECT_EQ(kata_s(PixelQuad{0, 0, 0, 0}, PixelQuad{255, 255, 255, 0}), 765);
}

TEST(Cmpdata, LimitsAtTheEndsOfTheRange) {
    const PixelQuad p{9, 9, 9, 9};
    const PixelQuad q{10, 9, 9, 10};
    EXPECT_EQ(cmpdata(p, p, 0), 0);
    EXPECT_EQ(cmpdata(p, q, 0), 1);
    EXPECT_EQ(cmpdata(p, p, -1), 1) << "a negative limit makes even identical pixels differ";
    EXPECT_EQ(cmpdata_a(p, p, -1), 1);
    const PixelQuad black{0, 0, 0, 0};
    const PixelQuad white{255, 255, 255, 255};
    EXPECT_EQ(cmpdata(black, white, 254), 1);
    EXPECT_EQ(cmpdata(black, white, 255), 0);
    EXPECT_EQ(cmpdata_a(black, white, 255), 0);
    EXPECT_EQ(cmpdata(black, white, 100000), 0);
}

TEST(Katamuki, WorkedExamples) {
    EXPECT_EQ(slopeAtCentre(neighbourhood({})), 0);
    EXPECT_EQ(slopeAtCentre(neighbourhood({{0, 0}, {1, 0}, {2, 0}})), 0) << "horizontal edge";
    EXPECT_EQ(slopeAtCentre(neighbourhood({{0, 0}, {0, 1}, {0, 2}})), 0) << "vertical edge";
    EXPECT_EQ(slopeAtCentre(neighbourhood({{0, 0}, {1, 0}, {0, 1}})), -2295) << "NW, N, W black";
    EXPECT_EQ(slopeAtCentre(neighbourhood({{1, 0}, {2, 0}, {2, 1}})), 2295) << "N, NE, E black";

    EXPECT_EQ(alphaSlopeAtCentre(neighbourhood({})), 0);
    EXPECT_EQ(alphaSlopeAtCentre(neighbourhood({{0, 0}, {1, 0}, {2, 0}})), 0);
    EXPECT_EQ(alphaSlopeAtCentre(neighbourhood({{0, 0}, {0, 1}, {0, 2}})), 0);
    EXPECT_EQ(alphaSlopeAtCentre(neighbourhood({{0, 0}, {1, 0}, {0, 1}})), -765);
    EXPECT_EQ(alphaSlopeAtCentre(neighbourhood({{1, 0}, {2, 0}, {2, 1}})), 765);
}

TEST(Katamuki, EachSlopeSeesOnlyItsOwnChannels) {
    // Colour staircase with flat alpha, and the other way round.
    RgbaImage colourOnly = uniformImage(3, 3, kWhite, 128);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}}) setGrey(colourOnly, x, y, kBlack);
    EXPECT_EQ(slopeAtCentre(colourOnly), -2295);
    EXPECT_EQ(alphaSlopeAtCentre(colourOnly), 0);

    RgbaImage alphaOnly = uniformImage(3, 3, 90, kWhite);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}}) alphaOnly.at(x, y)[3] = kBlack;
    EXPECT_EQ(slopeAtCentre(alphaOnly), 0);
    EXPECT_EQ(alphaSlopeAtCentre(alphaOnly), -765);
}

TEST(Katamuki, ReadsTheNineSourcePixelsRowByRow) {
    EngineBench bench(patternImage(5, 5));
    SlotLog log(bench.inst());
    katamuki(bench.inst(), 1, 1);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1},
                                                       {2, 1}, {0, 2}, {1, 2}, {2, 2}};
    ASSERT_EQ(log.calls().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(log.calls()[i].slot, Slot::readSrc);
        EXPECT_EQ(log.calls()[i].x, expected[i].first);
        EXPECT_EQ(log.calls()[i].y, expected[i].second);
    }

    log.clear();
    katamuki_a(bench.inst(), 3, 2);
    ASSERT_EQ(log.calls().size(), 9u);
    for (const SlotCall &c : log.calls()) EXPECT_EQ(c.slot, Slot::readSrcA);
    EXPECT_EQ(log.calls().front().x, 2);
    EXPECT_EQ(log.calls().front().y, 1);
    EXPECT_EQ(log.calls().back().x, 4);
    EXPECT_EQ(log.calls().back().y, 3);
}

TEST(Katamuki, AtTheTopOrLeftBorderIsZeroWithoutReading) {
    // A neighbourhood that would give a strong slope if it were read.
    EngineBench bench(neighbourhood({{0, 0}, {1, 0}, {0, 1}}));
    SlotLog log(bench.inst());
    for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {0, 0}, {-3, 2}, {2, -1}}) {
        EXPECT_EQ(katamuki(bench.inst(), x, y), 0);
        EXPECT_EQ(katamuki_a(bench.inst(), x, y), 0);
    }
    EXPECT_TRUE(log.calls().empty());
}

TEST(Katamuki, PastTheLastColumnOrRowTheSlotRepeatsTheBorder) {
    // N, NE, E of (2, 1) black in a 3-wide frame: NE and E lie beyond the last
    // column, where the clamp repeats column 2.
    RgbaImage img = uniformImage(3, 3, kWhite, kWhite);
    setGrey(img, 2, 0, kBlack);
    // The same pixels with the border column written out.
    RgbaImage widened = uniformImage(4, 3, kWhite, kWhite);
    setGrey(widened, 2, 0, kBlack);
    setGrey(widened, 3, 0, kBlack);

    EngineBench bench(img);
    EngineBench reference(widened);
    SlotLog log(bench.inst());
    const int slope = katamuki(bench.inst(), 2, 1);
    EXPECT_EQ(slope, katamuki(reference.inst(), 2, 1));
    EXPECT_NE(slope, 0);
    EXPECT_EQ(log.calls()[2].x, 3) << "passed to the slot unchanged";

    log.clear();
    katamuki(bench.inst(), 1, 2);
    EXPECT_EQ(log.calls()[8].y, 3);
}

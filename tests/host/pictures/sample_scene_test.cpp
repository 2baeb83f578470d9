// The built-in sample: a hard-edged render and its many-sample ground truth.
#include "host/pictures/sample_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <tuple>

namespace tavi::host {
namespace {

using ColourKey = std::tuple<int, int, int>;

std::set<ColourKey> sceneColours() {
    std::set<ColourKey> colours{
        {pictures::kSampleBackground.r, pictures::kSampleBackground.g, pictures::kSampleBackground.b}};
    const pictures::Drawing drawing = pictures::sampleDrawing();
    for (const auto &shape : drawing.shapes()) colours.insert({shape.colour.r, shape.colour.g, shape.colour.b});
    return colours;
}

double meanAlpha(const RgbaImage &image) {
    double sum = 0;
    for (std::size_t i = 3; i < image.rgba.size(); i += 4) sum += image.rgba[i];
    return sum / (double(image.width) * image.height * 255);
}

// A scene point, in its 1600 x 900 units, as a pixel of a picture.
const std::uint8_t *at(const RgbaImage &image, double sceneX, double sceneY) {
    return image.at(int(sceneX * image.width / 1600), int(sceneY * image.height / 900));
}

class SampleScene : public ::testing::Test {
protected:
    // Odd, so that the pixel centre is one of the truth's samples.
    static constexpr int kTruthSamples = 5;
    static inline const pictures::SampleRenders renders = pictures::renderSample(320, 180, kTruthSamples);
};

TEST_F(SampleScene, RendersAreDeterministic) {
    const pictures::SampleRenders again = pictures::renderSample(320, 180, kTruthSamples);
    EXPECT_EQ(again.aliased, renders.aliased);
    EXPECT_EQ(again.groundTruth, renders.groundTruth);
}

TEST_F(SampleScene, AliasedRenderHasOnlyHardValuesAndTheTruthHasRamps) {
    const std::set<ColourKey> colours = sceneColours();
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint8_t *p = renders.aliased.at(x, y);
            ASSERT_TRUE(p[3] == 0 || p[3] == 255) << x << "," << y;
            ASSERT_TRUE(colours.count({p[0], p[1], p[2]})) << x << "," << y;
        }
    }
    std::size_t partAlpha = 0, mixedColour = 0;
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 320; ++x) {
            const std::uint8_t *p = renders.groundTruth.at(x, y);
            partAlpha += p[3] > 0 && p[3] < 255;
            mixedColour += p[3] == 255 && !colours.count({p[0], p[1], p[2]});
        }
    }
    EXPECT_GT(partAlpha, 1000u);   // along every outline
    EXPECT_GT(mixedColour, 200u);  // where shapes of different colours meet
}

TEST_F(SampleScene, CentreSampleAgreesWithTheTruth) {
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 320; ++x) {
            const int hard = renders.aliased.at(x, y)[3], truth = renders.groundTruth.at(x, y)[3];
            if (hard == 255) {
                ASSERT_GT(truth, 0) << x << "," << y;
            } else {
                ASSERT_LT(truth, 255) << x << "," << y;
            }
        }
    }
}

TEST_F(SampleScene, TransparentOutsideTheShapes) {
    for (const RgbaImage *image : {&renders.aliased, &renders.groundTruth}) {
        // Nothing reaches the top 60 units or the left 30.
        for (int x = 0; x < 320; ++x) {
            for (int y = 0; y < 60 * 180 / 900; ++y) ASSERT_EQ(image->at(x, y)[3], 0) << x << "," << y;
        }
        for (int y = 0; y < 180; ++y) {
            for (int x = 0; x < 30 * 320 / 1600; ++x) ASSERT_EQ(image->at(x, y)[3], 0) << x << "," << y;
        }
        EXPECT_EQ(at(*image, 1390, 190)[3], 0);    // the ring's hole
        EXPECT_EQ(at(*image, 1390, 102)[3], 255);  // the ring
        EXPECT_EQ(at(*image, 900, 740)[3], 255);   // the ground
        const double covered = meanAlpha(*image);
        EXPECT_GT(covered, 0.25);
        EXPECT_LT(covered, 0.6);
    }
}

TEST_F(SampleScene, SamePictureAtAnySize) {
    const pictures::SampleRenders larger = pictures::renderSample(640, 360, 4);
    EXPECT_NEAR(meanAlpha(larger.groundTruth), meanAlpha(renders.groundTruth), 0.005);
    EXPECT_NEAR(meanAlpha(larger.aliased), meanAlpha(renders.aliased), 0.01);
    const pictures::SampleRenders odd = pictures::renderSample(101, 77, 4);
    EXPECT_EQ(odd.aliased.width, 101);
    EXPECT_EQ(odd.groundTruth.height, 77);
}

TEST_F(SampleScene, RefusesEmptySizesAndTooFewTruthSamples) {
    EXPECT_THROW(pictures::renderSample(0, 10), std::invalid_argument);
    EXPECT_THROW(pictures::renderSample(10, 10, 3), std::invalid_argument);
}

}  // namespace
}  // namespace tavi::host

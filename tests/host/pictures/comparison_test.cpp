// The side-by-side comparison picture: what it shows and where its detail
// comes from.
#include "host/pictures/comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <vector>

namespace tavi::host {
namespace {

std::size_t countColour(const RgbaImage &image, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
        count += image.rgba[i] == r && image.rgba[i + 1] == g && image.rgba[i + 2] == b;
    return count;
}

// Transparent, with one opaque pure green pixel at (x, y).
RgbaImage onePixel(int width, int height, int x, int y) {
    RgbaImage image(width, height);
    std::uint8_t *p = image.at(x, y);
    p[1] = 255, p[3] = 255;
    return image;
}

TEST(ComparisonPicture, DetailRegionHoldsTheEdges) {
    RgbaImage image(64, 64);
    for (int y = 8; y < 16; ++y) {
        for (int x = 40; x < 48; ++x) image.at(x, y)[3] = 255;
    }
    const pictures::PixelRegion region = pictures::densestEdgeRegion(image, 16, 16);
    EXPECT_EQ(region.width, 16);
    EXPECT_EQ(region.height, 16);
    // The square's edge band, one pixel either side of its outline.
    EXPECT_LE(region.x, 39);
    EXPECT_GE(region.x + region.width, 49);
    EXPECT_LE(region.y, 7);
    EXPECT_GE(region.y + region.height, 17);

    const pictures::PixelRegion whole = pictures::densestEdgeRegion(image, 100, 5);
    EXPECT_EQ(whole.width, 64);
    EXPECT_EQ(whole.x, 0);
}

TEST(ComparisonPicture, EachPanelShowsThePictureAndItsMagnifiedDetail) {
    const RgbaImage picture = onePixel(48, 24, 30, 12);
    const pictures::ComparisonPanel panels[] = {{"INPUT", &picture}, {"OUTPUT", &picture}, {"GROUND TRUTH", &picture}};
    for (int zoom : {1, 4, 8}) {
        const RgbaImage comparison = pictures::makeComparison(panels, {.zoom = zoom, .referencePanel = -1});
        // Once at its own size and once zoom x zoom in the detail, per panel.
        EXPECT_EQ(countColour(comparison, 0, 255, 0), 3u * (1 + zoom * zoom)) << "zoom " << zoom;
        EXPECT_GE(comparison.width, 3 * 48);
        EXPECT_GE(comparison.height, 2 * 24);
        for (std::size_t i = 3; i < comparison.rgba.size(); i += 4) ASSERT_EQ(comparison.rgba[i], 255);
    }
}

TEST(ComparisonPicture, TransparencyShowsAsCheckerboard) {
    RgbaImage clear(32, 32);
    for (std::size_t i = 0; i < clear.rgba.size(); i += 4) clear.rgba[i] = 255;  // red, but invisible
    RgbaImage solid = clear;
    for (std::size_t i = 3; i < solid.rgba.size(); i += 4) solid.rgba[i] = 255;
    const pictures::ComparisonPanel clearPanel[] = {{"", &clear}};
    const pictures::ComparisonPanel solidPanel[] = {{"", &solid}};
    const RgbaImage overChecks = pictures::makeComparison(clearPanel);
    const RgbaImage opaque = pictures::makeComparison(solidPanel);
    ASSERT_EQ(overChecks.width, opaque.width);
    ASSERT_EQ(overChecks.height, opaque.height);

    // Where the solid picture shows red, the clear one shows two greys.
    std::set<std::vector<std::uint8_t>> shownInstead;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < opaque.rgba.size(); i += 4) {
        if (std::equal(&opaque.rgba[i], &opaque.rgba[i] + 4, &overChecks.rgba[i])) continue;
        ++differing;
        EXPECT_EQ(std::vector<std::uint8_t>(&opaque.rgba[i], &opaque.rgba[i] + 3),
                  (std::vector<std::uint8_t>{255, 0, 0}));
        const std::uint8_t *p = &overChecks.rgba[i];
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << int(p[0]) << "," << int(p[1]) << "," << int(p[2]);
        shownInstead.insert({p[0], p[1], p[2]});
    }
    EXPECT_EQ(shownInstead.size(), 2u);
    EXPECT_GT(differing, 32u * 32);  // the picture, less its detail's outline, and the detail
    EXPECT_EQ(countColour(overChecks, 255, 0, 0), 0u);
}

TEST(ComparisonPicture, RefusesWhatItCannotShow) {
    const RgbaImage a(4, 4), b(4, 5);
    const pictures::ComparisonPanel mismatched[] = {{"A", &a}, {"B", &b}};
    EXPECT_THROW(pictures::makeComparison(mismatched), std::invalid_argument);
    const pictures::ComparisonPanel missing[] = {{"A", nullptr}};
    EXPECT_THROW(pictures::makeComparison(missing), std::invalid_argument);
    EXPECT_THROW(pictures::makeComparison(std::span<const pictures::ComparisonPanel>{}), std::invalid_argument);
    const pictures::ComparisonPanel fine[] = {{"A", &a}};
    EXPECT_THROW(pictures::makeComparison(fine, {.zoom = 0, .referencePanel = -1}), std::invalid_argument);
}

}  // namespace
}  // namespace tavi::host

// Error figures against a reference: PSNR over alpha-weighted colour, and
// the edge pixels it is also measured on.
#include "host/pictures/image_metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace tavi::host {
namespace {

RgbaImage filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    RgbaImage image(width, height);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = r, image.rgba[i + 1] = g, image.rgba[i + 2] = b, image.rgba[i + 3] = a;
    }
    return image;
}

TEST(ImageMetrics, IdenticalPicturesAreInfinitelyClose) {
    const RgbaImage image = filled(5, 3, 10, 20, 30, 200);
    EXPECT_EQ(pictures::psnr(image, image), std::numeric_limits<double>::infinity());
    EXPECT_EQ(pictures::formatDecibels(pictures::psnr(image, image)), "identical");
    const pictures::PsnrReport report = pictures::measureAgainst(image, image);
    EXPECT_TRUE(std::isinf(report.overall));
    EXPECT_TRUE(std::isinf(report.edges));  // a flat picture has no edge pixels
    EXPECT_EQ(report.edgePixelCount, 0u);
}

TEST(ImageMetrics, KnownErrorsGiveExactDecibels) {
    // One of eight values off by 255: mean squared error 255^2 / 8.
    const RgbaImage reference = filled(2, 1, 0, 0, 0, 255);
    RgbaImage image = reference;
    image.at(1, 0)[0] = 255;
    EXPECT_NEAR(pictures::psnr(image, reference), 10 * std::log10(8.0), 1e-12);
    EXPECT_NEAR(pictures::psnr(image, reference), 9.0309, 1e-4);

    // One of four values off by 1: 10 log10(255^2 * 4).
    const RgbaImage one = filled(1, 1, 100, 100, 100, 255);
    RgbaImage offByOne = one;
    offByOne.at(0, 0)[2] = 101;
    EXPECT_NEAR(pictures::psnr(offByOne, one), 54.1514, 1e-4);
    EXPECT_EQ(pictures::formatDecibels(pictures::psnr(offByOne, one)), "54.15 dB");
}

TEST(ImageMetrics, ColourCountsAsMuchAsItIsSeen) {
    // Under alpha 0 the colour is never seen.
    EXPECT_TRUE(std::isinf(pictures::psnr(filled(3, 3, 255, 0, 0, 0), filled(3, 3, 0, 255, 9, 0))));
    // Under alpha 51 (a fifth), a full colour difference weighs 51:
    // error 51^2 / 4, and 10 log10(255^2 * 4 / 51^2) = 10 log10(100).
    EXPECT_NEAR(pictures::psnr(filled(1, 1, 255, 0, 0, 51), filled(1, 1, 0, 0, 0, 51)), 20.0, 1e-9);
}

TEST(ImageMetrics, MaskSelectsThePixelsMeasured) {
    const RgbaImage reference = filled(2, 1, 0, 0, 0, 255);
    RgbaImage image = reference;
    image.at(1, 0)[0] = 255;
    pictures::PixelMask onlyChanged{2, 1, {0, 1}};
    EXPECT_NEAR(pictures::psnr(image, reference, onlyChanged), 10 * std::log10(4.0), 1e-12);
    pictures::PixelMask onlySame{2, 1, {1, 0}};
    EXPECT_TRUE(std::isinf(pictures::psnr(image, reference, onlySame)));
    pictures::PixelMask none{2, 1, {0, 0}};
    EXPECT_TRUE(std::isinf(pictures::psnr(image, reference, none)));
    pictures::PixelMask wrongSize{1, 1, {1}};
    EXPECT_THROW(pictures::psnr(image, reference, wrongSize), std::invalid_argument);
}

TEST(ImageMetrics, EdgePixelsAreBothSidesOfAStep) {
    // Black | white, split between columns 2 and 3.
    RgbaImage step = filled(6, 3, 0, 0, 0, 255);
    for (int y = 0; y < 3; ++y) {
        for (int x = 3; x < 6; ++x) std::fill(step.at(x, y), step.at(x, y) + 3, std::uint8_t(255));
    }
    const pictures::PixelMask edges = pictures::edgePixels(step);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(edges.at(x, y), x == 2 || x == 3) << x << "," << y;
    }
    EXPECT_EQ(edges.count(), 6u);

    // A step of 8 is not an edge; one of 9 is.
    RgbaImage faint = filled(2, 1, 100, 100, 100, 255);
    faint.at(1, 0)[1] = 108;
    EXPECT_EQ(pictures::edgePixels(faint).count(), 0u);
    faint.at(1, 0)[1] = 109;
    EXPECT_EQ(pictures::edgePixels(faint).count(), 2u);

    // Colour changes nobody sees are no edge.
    RgbaImage hidden = filled(2, 1, 0, 0, 0, 0);
    hidden.at(1, 0)[0] = 255;
    EXPECT_EQ(pictures::edgePixels(hidden).count(), 0u);
}

TEST(ImageMetrics, ReportMeasuresEdgesOfTheReference) {
    RgbaImage reference = filled(8, 1, 0, 0, 0, 255);
    for (int x = 4; x < 8; ++x) reference.at(x, 0)[3] = 0;  // opaque | transparent
    RgbaImage image = reference;
    image.at(0, 0)[0] = 255;  // far from the edge
    image.at(3, 0)[3] = 128;  // on it
    const pictures::PsnrReport report = pictures::measureAgainst(image, reference);
    EXPECT_EQ(report.edgePixelCount, 2u);
    EXPECT_NEAR(report.overall, pictures::psnr(image, reference), 1e-12);
    // On the edge pixels only the alpha error counts: 127^2 over 8 values.
    EXPECT_NEAR(report.edges, 10 * std::log10(255.0 * 255.0 * 8 / (127.0 * 127.0)), 1e-9);
}

TEST(ImageMetrics, DifferentSizesAreRefused) {
    EXPECT_THROW(pictures::psnr(RgbaImage(2, 2), RgbaImage(2, 3)), std::invalid_argument);
    EXPECT_THROW(pictures::measureAgainst(RgbaImage(3, 2), RgbaImage(2, 2)), std::invalid_argument);
}

}  // namespace
}  // namespace tavi::host

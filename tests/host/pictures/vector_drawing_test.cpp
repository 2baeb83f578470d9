// The rasteriser behind the sample render and the comparison labels:
// coverage, colour and the rules that decide which samples a shape takes.
#include "host/pictures/vector_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "host/pictures/stroke_font.h"

namespace tavi::host {
namespace {

constexpr pictures::Colour kRed{255, 0, 0};
constexpr pictures::Colour kBlue{0, 0, 255};
constexpr pictures::Colour kBackground{1, 2, 3};

std::vector<std::uint8_t> pixel(const RgbaImage &image, int x, int y) {
    const std::uint8_t *p = image.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

std::vector<pictures::Point> rectangle(double left, double top, double right, double bottom) {
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

TEST(SampleRaster, PartlyCoveredPixelKeepsShapeColourAndGetsCoverageAsAlpha) {
    pictures::Drawing drawing(4, 1);
    drawing.fillPolygon(rectangle(0, 0, 1.5, 1), kRed);

    const RgbaImage fine = pictures::rasterise(drawing, 4, 1, 4, kBackground);
    EXPECT_EQ(pixel(fine, 0, 0), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(fine, 1, 0), (std::vector<std::uint8_t>{255, 0, 0, 128}));  // 8 of 16 samples
    EXPECT_EQ(pixel(fine, 2, 0), (std::vector<std::uint8_t>{1, 2, 3, 0}));

    // One sample at the centre, x = 1.5, which the edge at 1.5 does not take.
    const RgbaImage hard = pictures::rasterise(drawing, 4, 1, 1, kBackground);
    EXPECT_EQ(pixel(hard, 0, 0), (std::vector<std::uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(pixel(hard, 1, 0), (std::vector<std::uint8_t>{1, 2, 3, 0}));
}

TEST(SampleRaster, ColoursSharingAPixelAreAveragedAndLaterShapesCover) {
    pictures::Drawing drawing(2, 1);
    drawing.fillPolygon(rectangle(0, 0, 2, 1), kRed);
    drawing.fillPolygon(rectangle(0.5, 0, 2, 1), kBlue);
    const RgbaImage image = pictures::rasterise(drawing, 2, 1, 4, kBackground);
    EXPECT_EQ(pixel(image, 0, 0), (std::vector<std::uint8_t>{128, 0, 128, 255}));
    EXPECT_EQ(pixel(image, 1, 0), (std::vector<std::uint8_t>{0, 0, 255, 255}));
}

TEST(SampleRaster, DrawingIsStretchedOverThePicture) {
    pictures::Drawing drawing(10, 10);
    drawing.fillPolygon(rectangle(0, 0, 5, 2.5), kRed);
    const RgbaImage image = pictures::rasterise(drawing, 20, 8, 1, kBackground);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 20; ++x) EXPECT_EQ(image.at(x, y)[3], x < 10 && y < 2 ? 255 : 0) << x << "," << y;
    }
}

TEST(SampleRaster, WindingDecidesHolesAndUnions) {
    pictures::Drawing drawing(5, 2);
    // Inner contour the other way round: a hole.
    std::vector<pictures::Point> inner = rectangle(1, 0.25, 2, 0.75);
    std::reverse(inner.begin(), inner.end());
    drawing.fillPolygon({rectangle(0, 0, 3, 1), inner}, kRed);
    // Two overlapping contours the same way round: one shape.
    drawing.fillPolygon({rectangle(3, 1, 4.5, 2), rectangle(3.5, 1, 5, 2)}, kBlue);
    const RgbaImage image = pictures::rasterise(drawing, 5, 2, 1, kBackground);
    EXPECT_EQ(image.at(0, 0)[3], 255);
    EXPECT_EQ(image.at(1, 0)[3], 0);
    EXPECT_EQ(image.at(2, 0)[3], 255);
    for (int x = 3; x < 5; ++x) EXPECT_EQ(pixel(image, x, 1), (std::vector<std::uint8_t>{0, 0, 255, 255})) << x;
}

TEST(SampleRaster, CirclesRingsAndStrokes) {
    pictures::Drawing drawing(21, 21);
    drawing.fillRing({10.5, 10.5}, 10, 5, kRed);
    drawing.strokeLine({0, 10.5}, {3, 10.5}, 1, kBlue);
    const RgbaImage image = pictures::rasterise(drawing, 21, 21, 1, kBackground);
    EXPECT_EQ(image.at(10, 10)[3], 0);   // the hole
    EXPECT_EQ(image.at(10, 3)[3], 255);  // the ring, 7 above the centre
    EXPECT_EQ(image.at(2, 2)[3], 0);     // outside, beyond the radius diagonally
    EXPECT_EQ(pixel(image, 1, 10), (std::vector<std::uint8_t>{0, 0, 255, 255}));  // the stroke over the ring
    EXPECT_EQ(pixel(image, 1, 9), (std::vector<std::uint8_t>{255, 0, 0, 255}));   // the ring beside the stroke
}

TEST(SampleRaster, RefusesEmptySizesAndSampleCounts) {
    const pictures::Drawing drawing(1, 1);
    EXPECT_THROW(pictures::rasterise(drawing, 0, 1, 1, kBackground), std::invalid_argument);
    EXPECT_THROW(pictures::rasterise(drawing, 1, -3, 1, kBackground), std::invalid_argument);
    EXPECT_THROW(pictures::rasterise(drawing, 1, 1, 0, kBackground), std::invalid_argument);
}

TEST(SampleFont, EveryCharacterOfTheFontDrawsAndOthersOnlyAdvance) {
    const std::string drawn = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-.,:/+!'";
    for (char c : drawn) {
        pictures::Drawing drawing(20, 20);
        pictures::drawStrokeText(drawing, std::string(1, c), {4, 4}, {12, 1.5, kRed});
        EXPECT_FALSE(drawing.shapes().empty()) << c;
        // Its strokes stay inside the letter box and half a stroke around it.
        const RgbaImage image = pictures::rasterise(drawing, 20, 20, 1, kBackground);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                if (x < 3 || x > 12 || y < 3 || y > 16) {
                    EXPECT_EQ(image.at(x, y)[3], 0) << c << " at " << x << "," << y;
                }
            }
        }
    }
    pictures::Drawing blank(20, 20);
    pictures::drawStrokeText(blank, " ~\t", {0, 0}, {});
    EXPECT_TRUE(blank.shapes().empty());
}

TEST(SampleFont, LowerCaseIsDrawnAsCapitalsAndWidthIsTheAdvance) {
    pictures::Drawing lower(200, 20), upper(200, 20);
    const double width = pictures::drawStrokeText(lower, "tavi 56", {0, 0}, {12, 1.5, kRed});
    pictures::drawStrokeText(upper, "TAVI 56", {0, 0}, {12, 1.5, kRed});
    EXPECT_EQ(pictures::rasterise(lower, 200, 20, 2, kBackground), pictures::rasterise(upper, 200, 20, 2, kBackground));
    EXPECT_DOUBLE_EQ(width, pictures::strokeTextWidth("TAVI 56", 12));
    EXPECT_GT(pictures::strokeTextWidth("TAVI 56", 24), pictures::strokeTextWidth("TAVI", 24));
    EXPECT_DOUBLE_EQ(pictures::strokeTextWidth("", 12), 0);
}

}  // namespace
}  // namespace tavi::host

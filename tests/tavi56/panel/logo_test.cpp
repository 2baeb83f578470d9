#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "panel/logo.h"
#include "support/panel_harness.h"
#include "host/panel/panel_painter.h"

using namespace tavi::test;
using tavi::host::RgbaImage;

namespace {

constexpr int kLogoBytes = kLogoWidth * kLogoHeight * 3;

const unsigned char *logoPixel(int x, int y) { return &logo_data[(y * kLogoWidth + x) * 3]; }

int keyPixels() {
    int count = 0;
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) count += isLogoKey(logoPixel(x, y));
    return count;
}

std::array<int, 3> colourAt(const RgbaImage &picture, int x, int y) {
    const std::uint8_t *p = picture.at(x, y);
    return {p[0], p[1], p[2]};
}

std::array<int, 3> asArray(tavi::host::pictures::Colour c) { return {c.r, c.g, c.b}; }

}  // namespace

TEST(Logo, BitmapIsTheKeptPicture) {
    std::ifstream in(TAVI_LOGO_PPM, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string header = "P6\n153 80\n255\n";
    ASSERT_EQ(file.size(), header.size() + kLogoBytes);
    ASSERT_EQ(file.substr(0, header.size()), header);
    EXPECT_EQ(std::memcmp(file.data() + header.size(), logo_data, kLogoBytes), 0);
    EXPECT_EQ(sizeof logo_data, 36720u);
}

TEST(Logo, OnlyTheExactKeyColourIsLeftOut) {
    const unsigned char key[3] = {0, 255, 0};
    const unsigned char nearGreen[3] = {0, 254, 0};
    const unsigned char nearRed[3] = {1, 255, 0};
    const unsigned char nearBlue[3] = {0, 255, 1};
    EXPECT_TRUE(isLogoKey(key));
    EXPECT_FALSE(isLogoKey(nearGreen));
    EXPECT_FALSE(isLogoKey(nearRed));
    EXPECT_FALSE(isLogoKey(nearBlue));
}

TEST(Logo, PaintedIntoTheCanvasCornerSkippingTheKeyColour) {
    PanelHarness panel;
    ASSERT_EQ(panel.open("cancel"), 0);
    const int keys = keyPixels();
    ASSERT_GT(keys, 0) << "the art has transparent parts";
    EXPECT_EQ(panel.host().plotCalls(), kLogoWidth * kLogoHeight - keys) << "one plot per drawn pixel";

    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const unsigned char *p = logoPixel(x, y);
            const std::array<int, 3> expected =
                isLogoKey(p) ? std::array<int, 3>{0, 0, 0} : std::array<int, 3>{p[0], p[1], p[2]};
            ASSERT_EQ(panel.canvasAt(167 + x, 160 + y), expected) << "logo pixel (" << x << ", " << y << ")";
        }
    const unsigned char *last = logoPixel(kLogoWidth - 1, kLogoHeight - 1);
    ASSERT_FALSE(isLogoKey(last));
    EXPECT_EQ(panel.canvasAt(319, 239), (std::array<int, 3>{last[0], last[1], last[2]}));
    EXPECT_EQ(panel.canvasAt(166, 239), (std::array<int, 3>{0, 0, 0})) << "nothing left of the logo";
    EXPECT_EQ(panel.canvasAt(319, 159), (std::array<int, 3>{0, 0, 0})) << "nothing above the logo";
}

TEST(Logo, DividerRunsAcrossThePanelBetweenTheSettingsAndThePreviewRows) {
    PanelHarness panel;
    ASSERT_EQ(panel.open("cancel"), 0);
    const RgbaImage &picture = panel.session().panel;
    for (int x = 0; x < picture.width; ++x) {
        ASSERT_EQ(colourAt(picture, x, 64), asArray(tavi::host::kShadow)) << "column " << x;
        ASSERT_EQ(colourAt(picture, x, 65), asArray(tavi::host::kHighlight)) << "column " << x;
    }
    EXPECT_EQ(colourAt(picture, 0, 63), asArray(tavi::host::kPanelGrey));
}

TEST(Logo, DrawnWithAFrameAndCoveredByThePreview) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(400, 300);
    panel.capture(frame);
    panel.host().recordCalls(true);
    ASSERT_EQ(panel.open("cancel"), 0);
    EXPECT_NE(std::find(panel.host().calls().begin(), panel.host().calls().end(), "plotBorder 0 0 64 355 0"),
              panel.host().calls().end());
    const unsigned char *last = logoPixel(kLogoWidth - 1, kLogoHeight - 1);
    EXPECT_EQ(panel.canvasAt(319, 239), (std::array<int, 3>{last[0], last[1], last[2]}));

    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ncancel"), 0);
    EXPECT_EQ(panel.canvasAt(319, 239), rgbOf(frame, 319, 239));
}

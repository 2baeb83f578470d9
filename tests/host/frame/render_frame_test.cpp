// The frame handed to the filter and the filter's changes put back: each
// case of the alpha arithmetic, and deep samples that must survive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "host/frame/render_frame.h"

using namespace tavi::host;

namespace {

RgbaImage onePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    RgbaImage image(1, 1);
    image.rgba = {r, g, b, a};
    return image;
}

template <class T>
frame::PixelView viewOf(std::vector<T> &samples, frame::SampleType type, int width, int channels = 4) {
    frame::PixelView view;
    view.data = samples.data();
    view.setType(type);
    view.width = width;
    view.height = 1;
    view.pixelStride = std::ptrdiff_t(sizeof(T)) * channels;
    view.rowStride = view.pixelStride * width;
    for (int c = 0; c < 4; ++c) view.channel[c] = c < channels ? int(sizeof(T)) * c : -1;
    return view;
}

// The frame rules on interleaved pictures, for writing cases down.
RgbaImage handedFor(const frame::PixelView &pixels, frame::AlphaForm form) {
    return frame::frameFor(pixels, form).interleaved();
}

std::size_t putBack(const frame::PixelView &pixels, frame::AlphaForm form, const RgbaImage &handed,
                    const RgbaImage &filtered) {
    return frame::applyFiltered(pixels, form, frame::FramePlanes::of(handed), frame::FramePlanes::of(filtered));
}

}  // namespace

TEST(RenderFrame, StraightBytesArePremultipliedWithRounding) {
    RgbaImage stored = onePixel(255, 128, 1, 128);
    const RgbaImage handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::straight);
    EXPECT_EQ(handed, onePixel(128, 64, 1, 128));  // (c * a + 127) / 255
    EXPECT_EQ(handedFor(frame::pixelsOf(stored), frame::AlphaForm::associated), stored);
}

TEST(RenderFrame, StraightBytesComeBackByTheDivision) {
    RgbaImage stored = onePixel(200, 100, 50, 128);
    const RgbaImage handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::straight);

    // Changed: c = min(255, (c' * 255 + a' / 2) / a'); c' > a' clamps.
    putBack(frame::pixelsOf(stored), frame::AlphaForm::straight, handed, onePixel(90, 100, 10, 64));
    EXPECT_EQ(stored, onePixel(255, 255, 40, 64));

    // Alpha 0 after filtering: the stored colour stays, alpha goes to 0.
    stored = onePixel(200, 100, 50, 128);
    putBack(frame::pixelsOf(stored), frame::AlphaForm::straight, handed, onePixel(0, 0, 0, 0));
    EXPECT_EQ(stored, onePixel(200, 100, 50, 0));
}

TEST(RenderFrame, UnchangedPixelsKeepTheirStoredBytes) {
    // Premultiplied by alpha 3, colour 200 becomes 2; dividing back would
    // give 170. A pixel the filter left alone must not go that way.
    RgbaImage stored = onePixel(200, 7, 255, 3);
    const RgbaImage before = stored;
    const RgbaImage handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::straight);
    putBack(frame::pixelsOf(stored), frame::AlphaForm::straight, handed, handed);
    EXPECT_EQ(stored, before);
}

TEST(RenderFrame, AssociatedBytesAreWrittenAsFiltered) {
    RgbaImage stored = onePixel(10, 20, 30, 40);
    const RgbaImage handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::associated);
    putBack(frame::pixelsOf(stored), frame::AlphaForm::associated, handed, onePixel(11, 22, 33, 44));
    EXPECT_EQ(stored, onePixel(11, 22, 33, 44));
}

TEST(RenderFrame, AlphaWinsWhereTheFiltersColourAndAlphaDisagree) {
    // Alpha lowered, colour left: no more colour than alpha comes back.
    RgbaImage stored = onePixel(100, 100, 100, 200);
    RgbaImage handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::associated);
    putBack(frame::pixelsOf(stored), frame::AlphaForm::associated, handed, onePixel(100, 100, 30, 50));
    EXPECT_EQ(stored, onePixel(50, 50, 30, 50));

    // Light over nothing (colour above alpha as handed) keeps the filter's colour.
    stored = onePixel(250, 10, 10, 100);
    handed = handedFor(frame::pixelsOf(stored), frame::AlphaForm::associated);
    putBack(frame::pixelsOf(stored), frame::AlphaForm::associated, handed, onePixel(240, 10, 10, 80));
    EXPECT_EQ(stored, onePixel(240, 10, 10, 80));

    // Deep premultiplied samples: colour no higher than the new alpha.
    std::vector<float> associated = {0.4f, 0.4f, 0.1f, 0.8f};
    frame::PixelView view = viewOf(associated, frame::SampleType::float32, 1);
    handed = handedFor(view, frame::AlphaForm::associated);
    putBack(view, frame::AlphaForm::associated, handed, onePixel(handed.rgba[0], handed.rgba[1], handed.rgba[2], 51));
    EXPECT_FLOAT_EQ(associated[0], 0.2f);
    EXPECT_FLOAT_EQ(associated[2], 0.1f);
    EXPECT_FLOAT_EQ(associated[3], 0.2f);

    // Deep straight samples: no brighter than full once divided.
    std::vector<float> straight = {0.5f, 0.5f, 0.125f, 0.8f};
    view = viewOf(straight, frame::SampleType::float32, 1);
    handed = handedFor(view, frame::AlphaForm::straight);
    putBack(view, frame::AlphaForm::straight, handed, onePixel(handed.rgba[0], handed.rgba[1], handed.rgba[2], 51));
    EXPECT_FLOAT_EQ(straight[0], 1.0f);
    EXPECT_FLOAT_EQ(straight[2], 0.5f);
}

TEST(RenderFrame, AStraightPictureIsTheSameStoredStraightOrPremultiplied) {
    // Every colour and alpha of a straight 8-bit pixel, through a filter
    // that lowers alpha and darkens red: put back straight (as into a PNG
    // file) and premultiplied as floats (as into OpenEXR), the two agree
    // within the straight 8-bit rounding, and at alpha 0 neither has colour.
    for (int a = 0; a < 256; a += 5)
        for (int c = 0; c < 256; c += 15) {
            RgbaImage bytes = onePixel(std::uint8_t(c), std::uint8_t(c), 0, std::uint8_t(a));
            const RgbaImage handed = handedFor(frame::pixelsOf(bytes), frame::AlphaForm::straight);
            const RgbaImage filtered =
                onePixel(std::uint8_t(handed.rgba[0] / 2), handed.rgba[1], 0, std::uint8_t(handed.rgba[3] / 3));
            putBack(frame::pixelsOf(bytes), frame::AlphaForm::straight, handed, filtered);

            std::vector<float> floats = {float(c) / 255 * float(a) / 255, float(c) / 255 * float(a) / 255, 0,
                                         float(a) / 255};
            const frame::PixelView view = viewOf(floats, frame::SampleType::float32, 1);
            putBack(view, frame::AlphaForm::associated, handedFor(view, frame::AlphaForm::associated), filtered);

            const float alpha = float(bytes.rgba[3]) / 255;
            ASSERT_NEAR(floats[3], alpha, 1e-6) << c << " " << a;
            for (int k = 0; k < 2; ++k) {
                ASSERT_LE(floats[k], floats[3] + 1e-6) << c << " " << a;
                ASSERT_NEAR(floats[k], float(bytes.rgba[k]) / 255 * alpha, 1.0 / 255) << c << " " << a << " " << k;
            }
        }
}

TEST(RenderFrame, FloatHighlightsSurviveAndChangesAreScaled) {
    // Two pixels: a highlight at 4.0 the filter leaves alone, and one it
    // darkens by 51 of 255 in red and lowers in alpha.
    std::vector<float> samples = {4.0f, 0.5f, -0.25f, 1.0f, 2.0f, 0.2f, 0.2f, 1.0f};
    const frame::PixelView view = viewOf(samples, frame::SampleType::float32, 2);
    const RgbaImage handed = handedFor(view, frame::AlphaForm::associated);
    EXPECT_EQ(std::vector<std::uint8_t>(handed.rgba.begin(), handed.rgba.begin() + 4),
              (std::vector<std::uint8_t>{255, 128, 0, 255}));
    RgbaImage filtered = handed;
    filtered.rgba[4] = std::uint8_t(handed.rgba[4] - 51);
    filtered.rgba[7] = 204;
    putBack(view, frame::AlphaForm::associated, handed, filtered);
    EXPECT_EQ(samples[0], 4.0f);
    EXPECT_EQ(samples[2], -0.25f);
    EXPECT_FLOAT_EQ(samples[4], 2.0f - 0.2f);  // beyond 1, moved by the change
    EXPECT_EQ(samples[5], 0.2f);
    EXPECT_FLOAT_EQ(samples[7], 0.8f);
}

TEST(RenderFrame, StraightDeepColourIsDividedByTheNewAlpha) {
    std::vector<std::uint16_t> samples = {65535, 0, 16384, 65535};
    const frame::PixelView view = viewOf(samples, frame::SampleType::uint16, 1);
    const RgbaImage handed = handedFor(view, frame::AlphaForm::straight);
    EXPECT_EQ(handed, onePixel(255, 0, 64, 255));
    // Alpha to 128/255, colour unchanged in associated terms: straight
    // blue doubles less a little (16384 * 255 / 128), red clamps at full.
    putBack(view, frame::AlphaForm::straight, handed, onePixel(255, 0, 64, 128));
    EXPECT_EQ(samples, (std::vector<std::uint16_t>{65535, 0, 32640, 32896}));
}

TEST(RenderFrame, GreyIsOneSampleForAllThreeColours) {
    std::vector<std::uint8_t> samples = {100, 255, 7, 255};  // grey and alpha, two pixels
    frame::PixelView view = viewOf(samples, frame::SampleType::uint8, 2, 2);
    view.channel[0] = view.channel[1] = view.channel[2] = 0;
    view.channel[3] = 1;
    const RgbaImage handed = handedFor(view, frame::AlphaForm::straight);
    EXPECT_EQ(handed.rgba, (std::vector<std::uint8_t>{100, 100, 100, 255, 7, 7, 7, 255}));
    RgbaImage filtered = handed;
    filtered.rgba = {50, 60, 70, 255, 7, 7, 7, 255};
    putBack(view, frame::AlphaForm::straight, handed, filtered);
    EXPECT_EQ(samples, (std::vector<std::uint8_t>{50, 255, 7, 255}));  // red's value
}

TEST(RenderFrame, HalfFloatsRoundTripExactly) {
    for (unsigned bits = 0; bits < 0x10000u; ++bits) {
        const float value = frame::halfToFloat(std::uint16_t(bits));
        if (std::isnan(value)) {
            EXPECT_TRUE(std::isnan(frame::halfToFloat(frame::floatToHalf(value)))) << bits;
            continue;
        }
        ASSERT_EQ(frame::floatToHalf(value), bits) << bits;
    }
    EXPECT_EQ(frame::halfToFloat(frame::floatToHalf(4.0f)), 4.0f);
    EXPECT_EQ(frame::halfToFloat(frame::floatToHalf(1.0f / 3.0f)), frame::halfToFloat(0x3555));  // nearest
    EXPECT_EQ(frame::halfToFloat(frame::floatToHalf(1e6f)), INFINITY);
}

TEST(RenderFrame, EveryHalfMakesTheByteItsFloatMakes) {
    // Each of the 65536 half patterns in each channel (NaN, infinities,
    // negatives and subnormals among them), against the same values as
    // float, associated, with alpha and without.
    std::vector<std::uint16_t> halves(std::size_t(1) << 18);
    std::vector<float> floats(halves.size());
    for (std::size_t i = 0; i < halves.size(); ++i) {
        halves[i] = std::uint16_t((i / 4) * 40503u + (i % 4) * 12345u);  // each channel its own walk
        floats[i] = frame::halfToFloat(halves[i]);
    }
    for (int channels : {4, 3}) {
        const int width = int(halves.size()) / channels;
        const RgbaImage fromHalves =
            handedFor(viewOf(halves, frame::SampleType::half, width, channels), frame::AlphaForm::associated);
        const RgbaImage fromFloats =
            handedFor(viewOf(floats, frame::SampleType::float32, width, channels), frame::AlphaForm::associated);
        EXPECT_EQ(fromHalves, fromFloats) << channels << " channels";
    }
}

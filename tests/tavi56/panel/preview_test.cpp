#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/buffer_ledger.h"
#include "filter/pixel_access.h"
#include "panel/preview.h"
#include "support/panel_harness.h"

using namespace tavi::test;
using tavi::host::RgbaImage;

namespace {

// With no edge strong enough and no weight, the scan leaves the window as
// it was copied, whatever the engine finds in it.
const std::string kNoSmoothing = "set Threshold 0\nset Strength 0\n";

constexpr int kCanvasPixels = 320 * 240;

void fillPreviewPlanes(FilterInstance *inst, std::uint8_t value) {
    for (std::uint8_t *plane : {inst->prevR, inst->prevG, inst->prevB, inst->prevA})
        std::memset(plane, value, kCanvasPixels);
}

// The four preview-plane bytes at window column k, row i.
std::array<int, 4> previewAt(const FilterInstance *inst, int k, int i) {
    const int n = i * 320 + k;
    return {inst->prevR[n], inst->prevG[n], inst->prevB[n], inst->prevA[n]};
}

std::array<int, 4> frameAt(const RgbaImage &img, int x, int y) {
    const std::uint8_t *p = img.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

// Every canvas pixel shows frame pixel (viewX + j/s, viewY + i/s), or black
// where that lies outside the frame; `alpha` shows the alpha as grey.
::testing::AssertionResult canvasShowsFrame(const PanelHarness &panel, const RgbaImage &frame, int viewX, int viewY,
                                            int scale, bool alpha = false) {
    for (int i = 0; i < 240; ++i)
        for (int j = 0; j < 320; ++j) {
            const int x = viewX + j / scale;
            const int y = viewY + i / scale;
            std::array<int, 3> expected{0, 0, 0};
            if (x < frame.width && y < frame.height) {
                const auto p = frameAt(frame, x, y);
                expected = alpha ? std::array<int, 3>{p[3], p[3], p[3]} : std::array<int, 3>{p[0], p[1], p[2]};
            }
            if (panel.canvasAt(j, i) != expected)
                return ::testing::AssertionFailure() << "canvas pixel (" << j << ", " << i << ") is wrong";
        }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(Preview, DrawCopiesTheWindowWithZerosBeyondASmallFrame) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(200, 100);
    panel.capture(frame);
    FilterInstance *inst = panel.inst();
    fillPreviewPlanes(inst, 0xAA);
    ASSERT_EQ(panel.open(kNoSmoothing + "click Draw\ncancel"), 0);
    ASSERT_EQ(panel.scriptError(), "");

    for (int i = 0; i < 240; ++i)
        for (int k = 0; k < 320; ++k) {
            const auto expected = k < 200 && i < 100 ? frameAt(frame, k, i) : std::array<int, 4>{0, 0, 0, 0};
            ASSERT_EQ(previewAt(inst, k, i), expected) << "window pixel (" << k << ", " << i << ")";
        }
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 0, 0, 1));
    EXPECT_EQ(panel.control(6).mode, RENDER_NORMAL) << "zoom slider shown";
    EXPECT_EQ(panel.control(9).mode, RENDER_NORMAL) << "drag button shown";
}

TEST(Preview, DrawBindsThePreviewAccessorsAndPaintsEveryCanvasPixelOnce) {
    PanelHarness panel;
    panel.capture(patternImage(400, 300));
    ASSERT_EQ(panel.open("cancel"), 0);
    const long openingPlots = panel.host().plotCalls();
    // Enabled cleared: the preview does not consult it.
    ASSERT_EQ(panel.open("set Enabled 0\nclick Draw\ncancel"), 0);
    EXPECT_EQ(panel.host().plotCalls() - openingPlots, openingPlots + kCanvasPixels);

    const FilterInstance *inst = panel.inst();
    EXPECT_EQ(inst->readSrc, &readB);
    EXPECT_EQ(inst->readDst, &readP);
    EXPECT_EQ(inst->writeDst, &writeP);
    EXPECT_EQ(inst->readSrcA, &readB_a);
    EXPECT_EQ(inst->readDstA, &readP_a);
    EXPECT_EQ(inst->writeDstA, &writeP_a);
    EXPECT_EQ(inst->curMode, 1) << "PreviewType RGB scans colour only";
}

TEST(Preview, ZoomThreeShowsFortyByThirtyFramePixelsAsEightByEightSquares) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(500, 400);
    panel.capture(frame);
    FilterInstance *inst = panel.inst();
    inst->zoom = 3;
    inst->viewX = 100;
    inst->viewY = 50;
    fillPreviewPlanes(inst, 0xAA);
    ASSERT_EQ(panel.open(kNoSmoothing + "click Draw\ncancel"), 0);

    EXPECT_TRUE(canvasShowsFrame(panel, frame, 100, 50, 8));
    // Only the shown block is refreshed; the rest of the window keeps its bytes.
    for (int i = 0; i < 240; ++i)
        for (int k = 0; k < 320; ++k) {
            const auto expected =
                k < 40 && i < 30 ? frameAt(frame, 100 + k, 50 + i) : std::array<int, 4>{0xAA, 0xAA, 0xAA, 0xAA};
            ASSERT_EQ(previewAt(inst, k, i), expected) << "window pixel (" << k << ", " << i << ")";
        }
}

TEST(Preview, FreshPreviewPlanesAreZero) {
    PanelHarness panel;
    const FilterInstance *inst = panel.inst();
    for (int i = 0; i < 240; ++i)
        for (int k = 0; k < 320; ++k) ASSERT_EQ(previewAt(inst, k, i), (std::array<int, 4>{0, 0, 0, 0}));
}

TEST(Preview, DragScrollsAgainstThePointerAtHalfSpeedDroppingRemainders) {
    PanelHarness panel;
    panel.capture(patternImage(1000, 700));
    FilterInstance *inst = panel.inst();
    inst->viewX = 300;
    inst->viewY = 200;
    ASSERT_EQ(panel.open("click Draw\n"
                         "drag 100 100 start\n"
                         "drag 101 101\ndrag 102 102\ndrag 103 103\ndrag 104 104\n"
                         "cancel"),
              0);
    EXPECT_EQ(inst->viewX, 300) << "1 pixel per event never scrolls at zoom 0";
    EXPECT_EQ(inst->viewY, 200);
    EXPECT_EQ(inst->dragX, 104);
    EXPECT_EQ(inst->dragY, 104);

    ASSERT_EQ(panel.open("click Draw\ndrag 101 107\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 301) << "-3 / 2 truncates to -1";
    EXPECT_EQ(inst->viewY, 199) << "3 / 2 truncates to 1";

    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag 40 -40\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 281);
    EXPECT_EQ(inst->viewY, 219);
}

TEST(Preview, DragAtZoomThreeNeedsSixteenPixelsPerStep) {
    PanelHarness panel;
    panel.capture(patternImage(1000, 700));
    FilterInstance *inst = panel.inst();
    inst->zoom = 3;
    inst->viewX = 300;
    inst->viewY = 200;
    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag 15 -15\ndrag 30 -30\ndrag 16 -16\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 300);
    EXPECT_EQ(inst->viewY, 200);
    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag 16 -16\ndrag 48 -48\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 297);
    EXPECT_EQ(inst->viewY, 203);
}

TEST(Preview, StartOfADragRepaintsWithoutMoving) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(1000, 700);
    panel.capture(frame);
    FilterInstance *inst = panel.inst();
    inst->viewX = 300;
    inst->viewY = 200;
    ASSERT_EQ(panel.open("click Draw\ndrag 10 10 start\ncancel"), 0);
    const long plots = panel.host().plotCalls();
    ASSERT_EQ(panel.open("click Draw\ndrag 10 10 start\ndrag 900 -900 start\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 300);
    EXPECT_EQ(inst->viewY, 200);
    EXPECT_EQ(inst->dragX, 900);
    EXPECT_EQ(inst->dragY, -900);
    EXPECT_EQ(panel.host().plotCalls() - plots, plots + kCanvasPixels) << "one more paint";
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 300, 200, 1)) << "painted from the frame planes";
}

TEST(Preview, DragStopsAtTheFrameEdges) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(1000, 700);
    panel.capture(frame);
    FilterInstance *inst = panel.inst();
    inst->viewX = 300;
    inst->viewY = 200;
    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag 30000 30000\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 0);
    EXPECT_EQ(inst->viewY, 0);
    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag -30000 -30000\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 680);
    EXPECT_EQ(inst->viewY, 460);
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 680, 460, 1));

    ASSERT_EQ(panel.open("click Draw\nset Zoom 1\ndrag 0 0 start\ndrag -30000 -30000\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 840);
    EXPECT_EQ(inst->viewY, 580);
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 840, 580, 2));
}

TEST(Preview, DragOverASmallFrameStaysAtTheOriginAndPaintsBlackBeyondIt) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(200, 100);
    panel.capture(frame);
    ASSERT_EQ(panel.open("click Draw\ndrag 50 50 start\ndrag -50 -70\ncancel"), 0);
    EXPECT_EQ(panel.inst()->viewX, 0);
    EXPECT_EQ(panel.inst()->viewY, 0);
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 0, 0, 1));
}

TEST(Preview, AWindowLeftOutsideANarrowerFrameShowsBlackUntilTheFirstDrag) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    panel.capture(patternImage(1000, 700));
    inst->viewX = 680;
    const RgbaImage narrower = patternImage(640, 480);
    panel.capture(narrower);
    fillPreviewPlanes(inst, 0xAA);

    ASSERT_EQ(panel.open(kNoSmoothing + "click Draw\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 680) << "Draw does not clamp";
    for (int i = 0; i < 240; ++i)
        for (int k = 0; k < 320; ++k) ASSERT_EQ(previewAt(inst, k, i), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_TRUE(canvasShowsFrame(panel, narrower, 680, 0, 1)) << "all black";

    ASSERT_EQ(panel.open("click Draw\ndrag 5 5 start\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 320) << "clamped without any pointer movement";
    EXPECT_TRUE(canvasShowsFrame(panel, narrower, 320, 0, 1));
}

TEST(Preview, AlphaPreviewScansAlphaAndPaintsItGrey) {
    PanelHarness panel;
    const RgbaImage frame = patternImage(400, 300);
    panel.capture(frame);
    FilterInstance *inst = panel.inst();
    inst->viewX = 20;
    inst->viewY = 10;
    ASSERT_EQ(panel.open("cancel"), 0);
    const long openingPlots = panel.host().plotCalls();

    // Changing PreviewType draws on its own, without "Draw".
    ASSERT_EQ(panel.open(kNoSmoothing + "set PreviewType Alpha\ncancel"), 0);
    EXPECT_EQ(inst->curMode, 2);
    EXPECT_EQ(panel.host().plotCalls() - openingPlots, openingPlots + kCanvasPixels);
    EXPECT_EQ(panel.control(6).mode, RENDER_NORMAL);
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 20, 10, 1, true));

    ASSERT_EQ(panel.open("click Draw\ndrag 0 0 start\ndrag -20 -20\ncancel"), 0);
    EXPECT_EQ(inst->viewX, 30);
    EXPECT_TRUE(canvasShowsFrame(panel, frame, 30, 20, 1, true)) << "the drag paints alpha as grey too";
}

TEST(Preview, NothingIsDrawnWithoutThePreviewPlanes) {
    PanelHarness panel({3});
    FilterInstance *inst = panel.inst();
    ASSERT_EQ(inst->previewFailed, 1);
    panel.capture(patternImage(400, 300));
    ASSERT_EQ(panel.open("cancel"), 0);
    const long openingPlots = panel.host().plotCalls();

    ASSERT_EQ(panel.open("click Draw\nset PreviewType Alpha\ncancel"), 0);
    EXPECT_EQ(panel.scriptError(), "");
    EXPECT_EQ(panel.host().plotCalls() - openingPlots, openingPlots) << "only the logo";
    EXPECT_EQ(panel.control(6).mode, RENDER_HIDDEN);
    EXPECT_EQ(panel.control(9).mode, RENDER_HIDDEN);
    EXPECT_EQ(inst->readSrc, &readF) << "still bound to the frame";
    EXPECT_EQ(inst->curMode, 2);
}

TEST(Preview, NothingIsDrawnAfterAFailedFrame) {
    PanelHarness panel;
    FilterInstance *inst = panel.inst();
    panel.capture(patternImage(400, 300));
    BufferLedger::get().limit = 1;  // every buffer of the next frame fails
    panel.capture(patternImage(400, 300));
    BufferLedger::get().limit = 0;
    ASSERT_EQ(inst->frameFailed, 1);
    inst->viewX = 390;

    ASSERT_EQ(panel.open("click Draw\ncancel"), 0);
    EXPECT_EQ(panel.control(6).mode, RENDER_HIDDEN);
    EXPECT_EQ(inst->readSrc, &readF);
    // The zoom clamp needs a frame as much as the preview does.
    panel.host().setSessionDriver([&](tavi::host::HostPanel &open) {
        auto *zoom = open.findControl("Zoom");
        open.setValue(*zoom, {1, 0, 0});
        Sli_Zoom(zoom, inst);
        return 0;
    });
    ASSERT_EQ(TaviInterface(1, nullptr, inst, nullptr), 0);
    EXPECT_EQ(inst->zoom, 1);
    EXPECT_EQ(inst->viewX, 390);
}

namespace {

// Two regions meeting along shallow and steep staircases, in colour and alpha.
RgbaImage staircases(int width, int height) {
    RgbaImage img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside = x < 60 + y / 3 || y > 150 + x / 5;
            std::uint8_t *p = img.at(x, y);
            p[0] = inside ? 230 : 20;
            p[1] = inside ? 200 : 40;
            p[2] = inside ? 90 : 60;
            p[3] = inside ? 40 : 255;
        }
    return img;
}

// What rendering makes of the frame with these settings.
RgbaImage rendered(const RgbaImage &frame, int target, int strength, int threshold) {
    InstancePtr inst = makeInstance();
    inst->target = target;
    inst->strength = strength;
    inst->threshold = threshold;
    tavi::host::MemoryFrame memory(frame);
    TaviProcess(inst.get(), memory.bind());
    return memory.output();
}

}  // namespace

// A window at the origin of a frame of the window's size is the whole
// frame, so the preview must show what rendering would produce.
TEST(Preview, ShowsWhatRenderingWouldMakeWithThePanelsSettings) {
    const RgbaImage frame = staircases(320, 240);
    {
        SCOPED_TRACE("RGB");
        const RgbaImage expected = rendered(frame, 0, 70, 200);
        ASSERT_NE(expected, frame) << "the staircases must give the engine work";
        PanelHarness panel;
        panel.capture(frame);
        ASSERT_EQ(panel.open("set Strength 70\nset Threshold 200\nclick Draw\ncancel"), 0);
        EXPECT_TRUE(canvasShowsFrame(panel, expected, 0, 0, 1));
    }
    {
        SCOPED_TRACE("Alpha");
        const RgbaImage expected = rendered(frame, 1, 100, 224);
        ASSERT_NE(expected, frame);
        PanelHarness panel;
        panel.capture(frame);
        ASSERT_EQ(panel.open("set PreviewType Alpha\ncancel"), 0);
        EXPECT_TRUE(canvasShowsFrame(panel, expected, 0, 0, 1, true));
    }
}

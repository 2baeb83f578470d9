#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "support/buffer_ledger.h"
#include "filter/pixel_access.h"
#include "filter/process.h"
#include "support/instance_fixture.h"
#include "support/recording_frame.h"

using namespace tavi::test;
using tavi::host::RgbaImage;

namespace {

bool planesHold(const FilterInstance *inst, const RgbaImage &img) {
    if (inst->width != img.width || inst->height != img.height) return false;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const std::size_t i = std::size_t(y) * img.width + x;
            const std::uint8_t *p = img.at(x, y);
            if (inst->bufR[i] != p[0] || inst->bufG[i] != p[1] || inst->bufB[i] != p[2] || inst->bufA[i] != p[3])
                return false;
        }
    return true;
}

}  // namespace

TEST(Process, DisabledFilterCopiesTheFrameExactly) {
    const RgbaImage input = patternImage(17, 9);
    InstancePtr inst = makeInstance();
    inst->enabled = 0;
    RecordingFrame frame(input);
    // Start the output from something else, so every pixel must be written.
    frame.fillOutput(0xAB);
    TaviProcess(inst.get(), frame.bind());

    EXPECT_EQ(frame.output(), input);
    EXPECT_EQ(frame.getRowCalls(), 8 * 9);
    EXPECT_EQ(frame.putRGBCalls(), 17 * 9);
    EXPECT_EQ(frame.putAlphaCalls(), 17 * 9);
    EXPECT_EQ(inst->haveFrame, 1);
    EXPECT_EQ(inst->frameFailed, 0);
    EXPECT_TRUE(planesHold(inst.get(), input));
    EXPECT_EQ(inst->rowR, nullptr) << "row tables are released before returning";
}

TEST(Process, SetsRunValuesAndFullFrameBinding) {
    InstancePtr inst = makeInstance();
    inst->target = 0;
    inst->strength = 40;
    inst->threshold = 30;
    RecordingFrame frame(patternImage(4, 4));
    TaviProcess(inst.get(), frame.bind());
    EXPECT_EQ(inst->curStrength, 40);
    EXPECT_EQ(inst->curThreshold, 30);
    EXPECT_EQ(inst->curMode, 1);
    EXPECT_EQ(inst->readSrc, &readF);
    EXPECT_EQ(inst->writeDstA, &writeB_a);
}

TEST(Process, NewFrameSizeReplacesThePlanes) {
    InstancePtr inst = makeInstance();
    RecordingFrame first(patternImage(8, 6));
    TaviProcess(inst.get(), first.bind());
    const RgbaImage second = patternImage(3, 11);
    RecordingFrame frame(second);
    TaviProcess(inst.get(), frame.bind());
    EXPECT_EQ(inst->width, 3);
    EXPECT_EQ(inst->height, 11);
    EXPECT_TRUE(planesHold(inst.get(), second));
}

TEST(Process, FailedRowTableWritesNothingAndKeepsThePreviousFrame) {
    const RgbaImage input = patternImage(7, 5);
    InstancePtr inst = makeInstance();
    RecordingFrame first(input);
    TaviProcess(inst.get(), first.bind());

    // Requests of one frame: four row tables, then four planes.
    LedgerScope ledger({2});
    RecordingFrame frame(patternImage(9, 9));
    TaviProcess(inst.get(), frame.bind());
    EXPECT_EQ(ledger->requests, 4) << "all four tables requested, no plane";
    EXPECT_TRUE(ledger->live.empty()) << "the tables obtained are released";
    EXPECT_EQ(inst->frameFailed, 1);
    EXPECT_EQ(frame.putRGBCalls(), 0);
    EXPECT_EQ(frame.putAlphaCalls(), 0);
    EXPECT_EQ(frame.getRowCalls(), 0);
    EXPECT_EQ(inst->haveFrame, 1);
    EXPECT_TRUE(planesHold(inst.get(), input));
}

TEST(Process, FailedFramePlaneAfterAGoodFrame) {
    InstancePtr inst = makeInstance();
    RecordingFrame first(patternImage(7, 5));
    TaviProcess(inst.get(), first.bind());

    LedgerScope ledger({7});  // the third plane
    RecordingFrame frame(patternImage(9, 9));
    TaviProcess(inst.get(), frame.bind());
    EXPECT_EQ(ledger->requests, 8);
    EXPECT_TRUE(ledger->live.empty());
    EXPECT_EQ(inst->frameFailed, 1);
    EXPECT_EQ(inst->haveFrame, 1);
    EXPECT_EQ(inst->bufR, nullptr);
    EXPECT_EQ(inst->bufG, nullptr);
    EXPECT_EQ(inst->bufB, nullptr);
    EXPECT_EQ(inst->bufA, nullptr);
    EXPECT_EQ(inst->width, 7) << "size of the previous frame kept";
    EXPECT_EQ(inst->height, 5);
    EXPECT_EQ(frame.putRGBCalls(), 0);

    // The next frame starts afresh and succeeds.
    ledger->failing.clear();
    const RgbaImage third = patternImage(4, 4);
    RecordingFrame next(third);
    TaviProcess(inst.get(), next.bind());
    EXPECT_EQ(inst->frameFailed, 0);
    EXPECT_TRUE(planesHold(inst.get(), third));
}

TEST(Process, MissingHostRowIsAFailedFrame) {
    InstancePtr inst = makeInstance();
    LedgerScope ledger;
    RecordingFrame frame(patternImage(6, 6));
    frame.withholdRow(3);
    TaviProcess(inst.get(), frame.bind());
    EXPECT_EQ(inst->frameFailed, 1);
    EXPECT_EQ(inst->haveFrame, 0);
    EXPECT_EQ(inst->width, 0);
    EXPECT_EQ(frame.putRGBCalls(), 0);
    EXPECT_EQ(frame.putAlphaCalls(), 0);
    EXPECT_TRUE(ledger->live.empty()) << "planes and row tables released";
}

namespace {
const unsigned char *noRow(int, int) { return nullptr; }
void noPutRGB(int, int, const unsigned char *) { ADD_FAILURE() << "putRGB called"; }
void noPutAlpha(int, int, int) { ADD_FAILURE() << "putAlpha called"; }
}  // namespace

TEST(Process, DegenerateSizesNeverWrite) {
    InstancePtr inst = makeInstance();
    LedgerScope ledger;
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
        FrameAccess empty{w, h, noRow, noPutRGB, noPutAlpha};
        TaviProcess(inst.get(), &empty);
        EXPECT_EQ(inst->haveFrame, 0);
        EXPECT_EQ(inst->frameFailed, 0);
    }
    for (auto [w, h] : {std::pair{-1, 5}, {5, -3}}) {
        FrameAccess negative{w, h, noRow, noPutRGB, noPutAlpha};
        TaviProcess(inst.get(), &negative);
        EXPECT_EQ(inst->frameFailed, 1);
    }
    EXPECT_TRUE(ledger->live.empty());
}

TEST(Process, FrameTooLargeForMemoryIsAFailedFrame) {
    InstancePtr inst = makeInstance();
    LedgerScope ledger;
    ledger->limit = std::size_t(1) << 30;
    // The planes of this frame are 3 * INT_MAX bytes each: the request must
    // ask for all of it, not a wrapped 32-bit product.
    FrameAccess huge{INT_MAX, 3, noRow, noPutRGB, noPutAlpha};
    TaviProcess(inst.get(), &huge);
    EXPECT_EQ(ledger->largestRequest, std::size_t(INT_MAX) * 3);
    EXPECT_EQ(inst->frameFailed, 1);
    EXPECT_EQ(inst->bufR, nullptr);
    EXPECT_TRUE(ledger->live.empty());
}

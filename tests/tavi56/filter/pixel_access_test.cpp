#include <gtest/gtest.h>

#include <vector>

#include "filter/pixel_access.h"
#include "support/instance_fixture.h"

using namespace tavi::test;

namespace {

// An instance whose frame planes hold a small known frame, without going
// through frame processing.
struct PlanesFixture : ::testing::Test {
    static constexpr int W = 6;
    static constexpr int H = 4;
    InstancePtr inst = makeInstance();
    std::vector<std::uint8_t> r, g, b, a;

    void SetUp() override {
        for (int i = 0; i < W * H; ++i) {
            r.push_back(std::uint8_t(i));
            g.push_back(std::uint8_t(100 + i));
            b.push_back(std::uint8_t(200 + i / 2));
            a.push_back(std::uint8_t(50 + i));
        }
        inst->bufR = r.data();
        inst->bufG = g.data();
        inst->bufB = b.data();
        inst->bufA = a.data();
        inst->width = W;
        inst->height = H;
    }
    void TearDown() override {
        // The planes are the fixture's, not the instance's.
        inst->bufR = inst->bufG = inst->bufB = inst->bufA = nullptr;
    }
    PixelQuad frameAt(int x, int y) const {
        const int i = y * W + x;
        return {r[i], g[i], b[i], a[i]};
    }
};

bool sameColour(const PixelQuad &p, const PixelQuad &q) { return p.r == q.r && p.g == q.g && p.b == q.b; }

}  // namespace

TEST_F(PlanesFixture, FrameReadersClampToTheBorder) {
    PixelQuad q{9, 9, 9, 9};
    readB(inst.get(), -5, -5, &q);
    EXPECT_TRUE(sameColour(q, frameAt(0, 0)));
    EXPECT_EQ(q.a, 0);
    readB(inst.get(), W + 3, 2, &q);
    EXPECT_TRUE(sameColour(q, frameAt(W - 1, 2)));
    readB(inst.get(), 2, H, &q);
    EXPECT_TRUE(sameColour(q, frameAt(2, H - 1)));

    readB_a(inst.get(), 3, -1, &q);
    EXPECT_EQ(q.r, 0);
    EXPECT_EQ(q.g, 0);
    EXPECT_EQ(q.b, 0);
    EXPECT_EQ(q.a, frameAt(3, 0).a);
}

TEST_F(PlanesFixture, FrameWritersTouchOnlyTheirChannels) {
    const PixelQuad q{1, 2, 3, 200};
    writeB(nullptr, inst.get(), 1, 1, &q);
    EXPECT_EQ(r[W + 1], 1);
    EXPECT_EQ(g[W + 1], 2);
    EXPECT_EQ(b[W + 1], 3);
    EXPECT_EQ(a[W + 1], 50 + W + 1) << "writeB leaves alpha alone";

    const PixelQuad alpha{7, 7, 7, 77};
    writeB_a(nullptr, inst.get(), W + 10, H + 10, &alpha);
    EXPECT_EQ(a[W * H - 1], 77);
    EXPECT_EQ(r[W * H - 1], W * H - 1) << "writeB_a leaves colour alone";
}

TEST_F(PlanesFixture, PreviewAccessorsUseTheWindowClamp) {
    inst->viewX = 100;
    inst->viewY = 50;
    inst->prevR[0] = 11;
    inst->prevR[239 * 320 + 319] = 22;
    inst->prevA[10 * 320 + 319] = 0;
    PixelQuad q{};
    readP(inst.get(), 100, 50, &q);
    EXPECT_EQ(q.r, 11);
    readP(inst.get(), 99, 50, &q);
    EXPECT_EQ(q.r, 11);
    readP(inst.get(), 500, 400, &q);
    EXPECT_EQ(q.r, 22);
    EXPECT_EQ(q.a, 0);

    // The preview writers are called with no frame.
    const PixelQuad w{5, 6, 7, 99};
    writeP(nullptr, inst.get(), 100 + 400, 50 + 10, &w);
    EXPECT_EQ(inst->prevR[10 * 320 + 319], 5);
    EXPECT_EQ(inst->prevG[10 * 320 + 319], 6);
    EXPECT_EQ(inst->prevB[10 * 320 + 319], 7);
    EXPECT_EQ(inst->prevA[10 * 320 + 319], 0) << "writeP leaves alpha alone";
    writeP_a(nullptr, inst.get(), 100 + 400, 50 + 10, &w);
    EXPECT_EQ(inst->prevA[10 * 320 + 319], 99);
    readP_a(inst.get(), 419, 60, &q);
    EXPECT_EQ(q.a, 99);
    EXPECT_EQ(q.r, 0);
}

namespace {
struct PutRecord {
    int x, y;
    int r, g, b, a;
};
thread_local std::vector<PutRecord> recorded;
void recordRGB(int x, int y, const unsigned char *rgb) { recorded.push_back({x, y, rgb[0], rgb[1], rgb[2], -1}); }
void recordAlpha(int x, int y, int alpha) { recorded.push_back({x, y, -1, -1, -1, alpha}); }
}  // namespace

TEST_F(PlanesFixture, HostWritersPassClampedCoordinates) {
    recorded.clear();
    FrameAccess frame{W, H, nullptr, recordRGB, recordAlpha};
    const PixelQuad q{10, 20, 30, 40};
    writeF(&frame, inst.get(), -1, H, &q);
    writeF_a(&frame, inst.get(), W + 2, -7, &q);
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].x, 0);
    EXPECT_EQ(recorded[0].y, H - 1);
    EXPECT_EQ(recorded[0].r, 10);
    EXPECT_EQ(recorded[0].g, 20);
    EXPECT_EQ(recorded[0].b, 30);
    EXPECT_EQ(recorded[1].x, W - 1);
    EXPECT_EQ(recorded[1].y, 0);
    EXPECT_EQ(recorded[1].a, 40);
}

TEST_F(PlanesFixture, HostReadersUseTheRowTables) {
    const std::uint8_t red[W] = {1, 2, 3, 4, 5, 6}, green[W] = {}, blue[W] = {}, alpha[W] = {9, 8, 7, 6, 5, 4};
    const std::uint8_t *rr[H] = {red, red, red, red}, *rg[H] = {green, green, green, green},
                       *rb[H] = {blue, blue, blue, blue}, *ra[H] = {alpha, alpha, alpha, alpha};
    inst->rowR = rr;
    inst->rowG = rg;
    inst->rowB = rb;
    inst->rowA = ra;
    PixelQuad q{};
    readF(inst.get(), 99, -3, &q);
    EXPECT_EQ(q.r, 6);
    EXPECT_EQ(q.a, 0);
    readF_a(inst.get(), -2, 99, &q);
    EXPECT_EQ(q.a, 9);
    EXPECT_EQ(q.r, 0);
    inst->rowR = inst->rowG = inst->rowB = inst->rowA = nullptr;
}

TEST(Binding, FullFrameAndPreviewSets) {
    InstancePtr inst = makeInstance();
    bindFullFrame(inst.get());
    EXPECT_EQ(inst->readSrc, &readF);
    EXPECT_EQ(inst->readDst, &readB);
    EXPECT_EQ(inst->writeDst, &writeB);
    EXPECT_EQ(inst->readSrcA, &readF_a);
    EXPECT_EQ(inst->readDstA, &readB_a);
    EXPECT_EQ(inst->writeDstA, &writeB_a);
    bindPreview(inst.get());
    EXPECT_EQ(inst->readSrc, &readB);
    EXPECT_EQ(inst->readDst, &readP);
    EXPECT_EQ(inst->writeDst, &writeP);
    EXPECT_EQ(inst->readSrcA, &readB_a);
    EXPECT_EQ(inst->readDstA, &readP_a);
    EXPECT_EQ(inst->writeDstA, &writeP_a);
}

// Calls on different images at once, from many threads, give each image
// what a call on its own gives it.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tavi/tavi.h"
#include "tavi56/engine/generated_images.h"

TEST(LibraryThreads, DifferentImagesAtOnceGiveTheSerialResults) {
    using namespace tavi::test;
    std::vector<tavi::host::RgbaImage> inputs = {discImage(120, 90, 1),
                                                 blockImage(100, 80, 2),
                                                 noiseImage(90, 70, 2, 3),
                                                 sampleImage(160, 90),
                                                 stripeImage(80, 60, 0.4, 8, false),
                                                 discImage(70, 110, 4)};
    const tavi_settings settings = {TAVI_TARGET_RGBA, 80, 224, 1};
    std::vector<tavi::host::RgbaImage> serial = inputs;
    for (auto &image : serial)
        ASSERT_EQ(tavi_antialias_u8(image.rgba.data(), image.width, image.height, 0, 4, TAVI_ALPHA_STRAIGHT, &settings),
                  TAVI_OK);

    // Every thread filters every image in its own copies, starting at a
    // different one, many times over.
    constexpr int kThreads = 6;
    constexpr int kRounds = 4;
    std::vector<std::vector<tavi::host::RgbaImage>> results(kThreads);
    std::vector<int> failures(kThreads, 0);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int round = 0; round < kRounds; ++round)
                    for (std::size_t k = 0; k < inputs.size(); ++k) {
                        const std::size_t i = (k + std::size_t(t)) % inputs.size();
                        tavi::host::RgbaImage image = inputs[i];
                        if (tavi_antialias_u8(image.rgba.data(), image.width, image.height, 0, 4, TAVI_ALPHA_STRAIGHT,
                                              &settings) != TAVI_OK ||
                            image != serial[i])
                            ++failures[t];
                    }
            });
    }
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
    for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_NE(serial[i], inputs[i]) << "image " << i << " has edges";
}

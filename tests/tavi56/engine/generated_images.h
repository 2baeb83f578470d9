// Pictures made to order for comparing the engine's two paths: noise with
// many or few levels, hard-edged discs and shallow stripes (staircases in
// every direction), and the host's aliased sample render. All are made
// from a seed and come out the same every time.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "host/base/rgba_image.h"
#include "host/pictures/sample_scene.h"

namespace tavi::test {

struct NamedImage {
    std::string name;
    host::RgbaImage image;
};

// Every byte drawn from `levels` values spread evenly over 0..255; two
// levels give the most edges, 256 plain noise.
inline host::RgbaImage noiseImage(int width, int height, int levels, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> level(0, levels - 1);
    host::RgbaImage img(width, height);
    for (std::uint8_t &byte : img.rgba)
        byte = static_cast<std::uint8_t>(levels == 1 ? 0 : level(random) * 255 / (levels - 1));
    return img;
}

// Flat rectangles of a few colours laid over each other: long runs with
// corners, where the edge tests and slopes meet all their cases.
inline host::RgbaImage blockImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    host::RgbaImage img(width, height);
    auto colour = [&] { return std::uniform_int_distribution<int>(0, 3)(random) * 85; };
    const int blocks = 4 + (width * height) / 200;
    for (int b = 0; b < blocks; ++b) {
        const int x0 = std::uniform_int_distribution<int>(-2, width)(random);
        const int y0 = std::uniform_int_distribution<int>(-2, height)(random);
        const int w = std::uniform_int_distribution<int>(1, width / 2 + 2)(random);
        const int h = std::uniform_int_distribution<int>(1, height / 2 + 2)(random);
        const std::uint8_t c[4] = {std::uint8_t(colour()), std::uint8_t(colour()), std::uint8_t(colour()),
                                   std::uint8_t(colour())};
        for (int y = std::max(0, y0); y < std::min(height, y0 + h); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x0 + w); ++x)
                for (int ch = 0; ch < 4; ++ch) img.at(x, y)[ch] = c[ch];
    }
    return img;
}

// Discs of random colour and alpha over a random background, each pixel
// taking the colour at its centre: circular staircases.
inline host::RgbaImage discImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    host::RgbaImage img(width, height);
    const std::uint8_t background[4] = {std::uint8_t(byte(random)), std::uint8_t(byte(random)),
                                        std::uint8_t(byte(random)), std::uint8_t(byte(random))};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int ch = 0; ch < 4; ++ch) img.at(x, y)[ch] = background[ch];
    const int discs = 3 + (width + height) / 40;
    for (int d = 0; d < discs; ++d) {
        const double cx = std::uniform_real_distribution<double>(0, width)(random);
        const double cy = std::uniform_real_distribution<double>(0, height)(random);
        const double r = std::uniform_real_distribution<double>(1, 2 + (width + height) / 6.0)(random);
        const std::uint8_t c[4] = {std::uint8_t(byte(random)), std::uint8_t(byte(random)), std::uint8_t(byte(random)),
                                   std::uint8_t(byte(random))};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) < r)
                    for (int ch = 0; ch < 4; ++ch) img.at(x, y)[ch] = c[ch];
    }
    return img;
}

// Bands two colours wide along a line of the given slope (rise over run,
// negative for the other diagonal), each pixel taking the band at its
// centre; alpha bands run the other way. `steep` swaps the roles of x and
// y, for edges close to vertical.
inline host::RgbaImage stripeImage(int width, int height, double slope, double period, bool steep) {
    host::RgbaImage img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = steep ? y + 0.5 : x + 0.5;
            const double v = steep ? x + 0.5 : y + 0.5;
            const bool band = std::fmod(std::fabs(v - slope * u), period) < period / 2;
            const bool alphaBand = std::fmod(std::fabs(v + slope * u), period) < period / 2;
            std::uint8_t *p = img.at(x, y);
            p[0] = band ? 230 : 20;
            p[1] = band ? 200 : 60;
            p[2] = band ? 40 : 180;
            p[3] = alphaBand ? 255 : 0;
        }
    return img;
}

// The host's sample scene, aliased, at any size.
inline host::RgbaImage sampleImage(int width, int height) {
    return host::pictures::renderSample(width, height, 4).aliased;
}

}  // namespace tavi::test

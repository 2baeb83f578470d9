// How far a picture is from a reference, as peak signal-to-noise ratio.
//
// Pixels are compared with their colour weighted by alpha (R*A/255,
// G*A/255, B*A/255, A): the colour of a transparent pixel is never seen,
// so it does not count, and a half-transparent pixel's colour counts
// half. The mean squared error is taken over those four values of every
// pixel compared, in 8-bit units, and PSNR = 10 log10(255^2 / error) dB.
// Higher is closer; identical pictures give +infinity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/base/rgba_image.h"

namespace tavi::host::pictures {

// Which pixels of a picture to look at.
struct PixelMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> selected;  // width * height, 1 = selected

    bool at(int x, int y) const { return selected[std::size_t(y) * std::size_t(width) + std::size_t(x)] != 0; }
    std::size_t count() const;
};

// Edge pixels of a reference: those with a pixel in their 3 x 3
// neighbourhood that differs from them by more than `minDifference` in any
// alpha-weighted channel. On a flat-shaded picture such as the sample this
// is a band two to three pixels wide along every edge, in the reference's
// terms only, so a picture before and after filtering is measured on the
// same pixels. Pixels both sides of an edge are included, so changes a
// filter makes next to an edge count too.
PixelMask edgePixels(const RgbaImage &reference, double minDifference = 8.0);

// PSNR in dB over all pixels, or over the selected ones (+infinity when
// nothing is selected). Throws std::invalid_argument when the sizes differ.
double psnr(const RgbaImage &image, const RgbaImage &reference);
double psnr(const RgbaImage &image, const RgbaImage &reference, const PixelMask &mask);

struct PsnrReport {
    double overall = 0;  // dB, all pixels
    double edges = 0;    // dB, the reference's edge pixels
    std::size_t edgePixelCount = 0;
};

// Both figures, edges as edgePixels(reference) selects them.
PsnrReport measureAgainst(const RgbaImage &image, const RgbaImage &reference);

// "31.52 dB", or "identical" for +infinity.
std::string formatDecibels(double decibels);

}  // namespace tavi::host::pictures

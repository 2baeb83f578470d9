#include "host/pictures/image_metrics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace tavi::host::pictures {

namespace {

using Weighted = std::array<double, 4>;

Weighted weighted(const std::uint8_t *pixel) {
    const double alpha = pixel[3] / 255.0;
    return {pixel[0] * alpha, pixel[1] * alpha, pixel[2] * alpha, double(pixel[3])};
}

double squaredError(const std::uint8_t *a, const std::uint8_t *b) {
    const Weighted wa = weighted(a), wb = weighted(b);
    double sum = 0;
    for (int c = 0; c < 4; ++c) sum += (wa[c] - wb[c]) * (wa[c] - wb[c]);
    return sum;
}

void requireSameSize(const RgbaImage &a, const RgbaImage &b, const char *what) {
    if (a.width != b.width || a.height != b.height)
        throw std::invalid_argument(std::string(what) + ": pictures of different sizes (" + std::to_string(a.width) +
                                    " x " + std::to_string(a.height) + " and " + std::to_string(b.width) + " x " +
                                    std::to_string(b.height) + ")");
}

double toDecibels(double errorSum, std::size_t values) {
    if (values == 0 || errorSum == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (errorSum / double(values)));
}

}  // namespace

std::size_t PixelMask::count() const { return std::size_t(std::count(selected.begin(), selected.end(), 1)); }

PixelMask edgePixels(const RgbaImage &reference, double minDifference) {
    const int w = reference.width, h = reference.height;
    PixelMask mask{w, h, std::vector<std::uint8_t>(std::size_t(w) * std::size_t(h), 0)};
    // Weighted values of rows y-1, y and y+1, so each pixel is weighted once.
    std::array<std::vector<Weighted>, 3> rows;
    auto weighRow = [&](int y, std::vector<Weighted> &row) {
        row.resize(std::size_t(w));
        for (int x = 0; x < w; ++x) row[std::size_t(x)] = weighted(reference.at(x, y));
    };
    auto differs = [&](const Weighted &a, const Weighted &b) {
        for (int c = 0; c < 4; ++c) {
            if (std::abs(a[c] - b[c]) > minDifference) return true;
        }
        return false;
    };
    if (h > 0) weighRow(0, rows[1]);
    for (int y = 0; y < h; ++y) {
        if (y > 0) std::swap(rows[0], rows[1]), std::swap(rows[1], rows[2]);
        if (y + 1 < h) weighRow(y + 1, rows[2]);
        const int firstRow = y > 0 ? 0 : 1, lastRow = y + 1 < h ? 2 : 1;
        for (int x = 0; x < w; ++x) {
            const Weighted &centre = rows[1][std::size_t(x)];
            bool edge = false;
            for (int r = firstRow; r <= lastRow && !edge; ++r) {
                for (int nx = std::max(0, x - 1); nx <= std::min(w - 1, x + 1) && !edge; ++nx)
                    edge = differs(rows[std::size_t(r)][std::size_t(nx)], centre);
            }
            mask.selected[std::size_t(y) * std::size_t(w) + std::size_t(x)] = edge ? 1 : 0;
        }
    }
    return mask;
}

double psnr(const RgbaImage &image, const RgbaImage &reference) {
    requireSameSize(image, reference, "psnr");
    double sum = 0;
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) sum += squaredError(&image.rgba[i], &reference.rgba[i]);
    return toDecibels(sum, image.rgba.size());
}

double psnr(const RgbaImage &image, const RgbaImage &reference, const PixelMask &mask) {
    requireSameSize(image, reference, "psnr");
    if (mask.width != image.width || mask.height != image.height)
        throw std::invalid_argument("psnr: the pixel mask's size differs from the pictures'");
    double sum = 0;
    std::size_t values = 0;
    for (std::size_t p = 0; p < mask.selected.size(); ++p) {
        if (!mask.selected[p]) continue;
        sum += squaredError(&image.rgba[p * 4], &reference.rgba[p * 4]);
        values += 4;
    }
    return toDecibels(sum, values);
}

PsnrReport measureAgainst(const RgbaImage &image, const RgbaImage &reference) {
    const PixelMask edges = edgePixels(reference);
    return {psnr(image, reference), psnr(image, reference, edges), edges.count()};
}

std::string formatDecibels(double decibels) {
    if (std::isinf(decibels) && decibels > 0) return "identical";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dB", decibels);
    return text;
}

}  // namespace tavi::host::pictures

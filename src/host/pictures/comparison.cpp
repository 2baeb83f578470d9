#include "host/pictures/comparison.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "host/pictures/image_metrics.h"
#include "host/pictures/stroke_font.h"
#include "host/pictures/vector_drawing.h"

namespace tavi::host::pictures {

namespace {

constexpr int kMargin = 16;
constexpr int kCheckerSquare = 8;
constexpr double kLabelCapHeight = 12;
constexpr int kLabelRow = 28;  // label height plus space around it
constexpr Colour kCanvas{46, 47, 52};
constexpr Colour kLabelInk{232, 232, 228};
constexpr Colour kCaptionInk{150, 152, 160};
constexpr Colour kCheckerLight{150, 150, 150};
constexpr Colour kCheckerDark{105, 105, 105};
constexpr Colour kOutline{255, 64, 160};

void fill(RgbaImage &image, Colour colour) {
    for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = colour.r, image.rgba[i + 1] = colour.g, image.rgba[i + 2] = colour.b, image.rgba[i + 3] = 255;
    }
}

std::uint8_t over(std::uint8_t top, std::uint8_t bottom, unsigned alpha) {
    return std::uint8_t((top * alpha + bottom * (255 - alpha) + 127) / 255);
}

// The picture as seen over a checkerboard: opaque.
RgbaImage overCheckerboard(const RgbaImage &picture) {
    RgbaImage seen(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const bool light = ((x / kCheckerSquare) + (y / kCheckerSquare)) % 2 == 0;
            const Colour check = light ? kCheckerLight : kCheckerDark;
            const std::uint8_t *p = picture.at(x, y);
            std::uint8_t *out = seen.at(x, y);
            out[0] = over(p[0], check.r, p[3]);
            out[1] = over(p[1], check.g, p[3]);
            out[2] = over(p[2], check.b, p[3]);
            out[3] = 255;
        }
    }
    return seen;
}

// Copies `source` (or its region, magnified) onto the canvas at (left, top).
void place(RgbaImage &canvas, const RgbaImage &source, PixelRegion from, int zoom, int left, int top) {
    for (int y = 0; y < from.height * zoom; ++y) {
        for (int x = 0; x < from.width * zoom; ++x) {
            const std::uint8_t *p = source.at(from.x + x / zoom, from.y + y / zoom);
            std::copy(p, p + 4, canvas.at(left + x, top + y));
        }
    }
}

// Alpha-composites `layer` onto the canvas at (left, top), clipped.
void composite(RgbaImage &canvas, const RgbaImage &layer, int left, int top) {
    for (int y = 0; y < layer.height; ++y) {
        for (int x = 0; x < layer.width; ++x) {
            const int cx = left + x, cy = top + y;
            if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) continue;
            const std::uint8_t *p = layer.at(x, y);
            std::uint8_t *out = canvas.at(cx, cy);
            for (int c = 0; c < 3; ++c) out[c] = over(p[c], out[c], p[3]);
        }
    }
}

void drawLabel(RgbaImage &canvas, const std::string &text, int left, int top, double capHeight, Colour ink) {
    if (text.empty()) return;
    const double stroke = capHeight * 0.15;
    const int pad = int(std::ceil(stroke));
    const int width = int(std::ceil(strokeTextWidth(text, capHeight))) + 2 * pad;
    const int height = int(std::ceil(capHeight)) + 2 * pad;
    Drawing drawing(width, height);
    drawStrokeText(drawing, text, {double(pad), double(pad)}, {capHeight, stroke, ink});
    composite(canvas, rasterise(drawing, width, height, 4, ink), left - pad, top - pad);
}

// A one-pixel frame just outside the region, clipped to the panel.
void outline(RgbaImage &canvas, PixelRegion region, int panelWidth, int panelHeight, int left, int top) {
    auto mark = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= panelWidth || y >= panelHeight) return;
        std::uint8_t *out = canvas.at(left + x, top + y);
        out[0] = kOutline.r, out[1] = kOutline.g, out[2] = kOutline.b;
    };
    const int x0 = region.x - 1, y0 = region.y - 1, x1 = region.x + region.width, y1 = region.y + region.height;
    for (int x = x0; x <= x1; ++x) mark(x, y0), mark(x, y1);
    for (int y = y0; y <= y1; ++y) mark(x0, y), mark(x1, y);
}

}  // namespace

PixelRegion densestEdgeRegion(const RgbaImage &reference, int width, int height) {
    const int w = reference.width, h = reference.height;
    width = std::clamp(width, 1, std::max(w, 1));
    height = std::clamp(height, 1, std::max(h, 1));
    const PixelMask edges = edgePixels(reference);
    // Summed-area table: sums[y][x] counts edge pixels above and left of (x, y).
    const std::size_t stride = std::size_t(w) + 1;
    std::vector<std::uint32_t> sums(stride * (std::size_t(h) + 1), 0);
    for (int y = 0; y < h; ++y) {
        std::uint32_t rowCount = 0;
        for (int x = 0; x < w; ++x) {
            rowCount += edges.at(x, y) ? 1 : 0;
            sums[(y + 1) * stride + x + 1] = sums[y * stride + x + 1] + rowCount;
        }
    }
    PixelRegion best{0, 0, width, height};
    long bestCount = -1;
    for (int y = 0; y + height <= h; ++y) {
        for (int x = 0; x + width <= w; ++x) {
            const long count = long(sums[(y + height) * stride + x + width]) - long(sums[y * stride + x + width]) -
                               long(sums[(y + height) * stride + x]) + long(sums[y * stride + x]);
            if (count > bestCount) {
                bestCount = count;
                best.x = x, best.y = y;
            }
        }
    }
    return best;
}

RgbaImage makeComparison(std::span<const ComparisonPanel> panels, const ComparisonOptions &options) {
    if (panels.empty()) throw std::invalid_argument("comparison: no pictures");
    if (options.zoom < 1) throw std::invalid_argument("comparison: zoom below 1");
    for (const auto &panel : panels) {
        if (!panel.image) throw std::invalid_argument("comparison: panel '" + panel.label + "' has no picture");
        if (panel.image->width != panels[0].image->width || panel.image->height != panels[0].image->height ||
            panel.image->width < 1 || panel.image->height < 1)
            throw std::invalid_argument("comparison: the pictures differ in size or are empty");
    }
    const int count = int(panels.size());
    const int reference =
        options.referencePanel >= 0 && options.referencePanel < count ? options.referencePanel : count - 1;
    const int w = panels[0].image->width, h = panels[0].image->height, zoom = options.zoom;
    const PixelRegion detail =
        densestEdgeRegion(*panels[reference].image, std::max(1, w / zoom), std::max(1, h / zoom));
    const int detailW = detail.width * zoom, detailH = detail.height * zoom;
    const int columnW = std::max(w, detailW);

    RgbaImage canvas(kMargin + count * (columnW + kMargin), kMargin + 2 * (kLabelRow + kMargin) + h + detailH);
    fill(canvas, kCanvas);
    const std::string caption = "DETAIL " + std::to_string(zoom) + "X";
    for (int i = 0; i < count; ++i) {
        const int left = kMargin + i * (columnW + kMargin);
        const RgbaImage seen = overCheckerboard(*panels[i].image);
        const int panelTop = kMargin + kLabelRow;
        drawLabel(canvas, panels[i].label, left, kMargin + (kLabelRow - int(kLabelCapHeight)) / 2, kLabelCapHeight,
                  kLabelInk);
        place(canvas, seen, {0, 0, w, h}, 1, left, panelTop);
        if (detail.width < w || detail.height < h) outline(canvas, detail, w, h, left, panelTop);
        const int captionTop = panelTop + h + kMargin;
        drawLabel(canvas, caption, left, captionTop + (kLabelRow - 10) / 2, 10, kCaptionInk);
        place(canvas, seen, detail, zoom, left, captionTop + kLabelRow);
    }
    return canvas;
}

}  // namespace tavi::host::pictures

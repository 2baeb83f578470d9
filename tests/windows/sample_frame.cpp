#include "sample_frame.h"

#include <cstdint>

namespace tavi::wincheck {

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

void paint(host::RgbaImage &image, int x, int y, Colour c) {
    std::uint8_t *p = image.at(x, y);
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

// Which side of the line through (x0, y0) and (x1, y1) the point lies on.
std::int64_t side(int x0, int y0, int x1, int y1, int x, int y) {
    return std::int64_t(x1 - x0) * (y - y0) - std::int64_t(y1 - y0) * (x - x0);
}

bool inDisc(int x, int y, int cx, int cy, int r) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r; }

bool inEllipse(int x, int y, int cx, int cy, int rx, int ry) {
    const std::int64_t dx = x - cx, dy = y - cy;
    return dx * dx * ry * ry + dy * dy * rx * rx < std::int64_t(rx) * rx * ry * ry;
}

}  // namespace

host::RgbaImage sampleFrame() {
    host::RgbaImage image(kSampleWidth, kSampleHeight);
    for (int y = 0; y < kSampleHeight; ++y) {
        for (int x = 0; x < kSampleWidth; ++x) {
            // Colour, back to front.
            Colour c{40, 60, 90};
            if (side(0, 70, 172, 95, x, y) > 0) c = {70, 95, 60};  // shallow horizon
            if (inDisc(x, y, 48, 42, 29)) c = {230, 200, 40};
            if (inDisc(x, y, 48, 42, 12)) c = {190, 160, 0};  // faint ring edge
            if (side(95, 8, 166, 58, x, y) > 0 && side(166, 58, 104, 108, x, y) > 0 && side(104, 108, 95, 8, x, y) > 0)
                c = {200, 30, 60};  // steep and shallow slopes
            const int band = 3 * x - 7 * y + 40;
            if (band >= 0 && band < 21) c = {250, 250, 250};                  // thin slanted bar
            if (x >= 12 && x < 34 && y >= 84 && y < 108) c = {120, 40, 160};  // square corners
            if (side(70, 112, 96, 74, x, y) > 0 && side(86, 112, 112, 74, x, y) < 0 && y > 74 && y < 112)
                c = {c.r, std::uint8_t(c.g + 20), c.b};  // edge too faint for most thresholds
            paint(image, x, y, c);

            // Alpha, independent of the colour shapes.
            int a = 255;
            if (side(0, 60, 60, 117, x, y) > 0) a = 96;  // slanted half-transparent corner
            if (inEllipse(x, y, 128, 82, 34, 19)) a = 0;
            if (inEllipse(x, y, 128, 82, 14, 8)) a = 200;
            if (inDisc(x, y, 150, 22, 15)) a = 210;  // faint alpha edges
            if (side(115, 5, 140, 40, x, y) > 0 && y < 30 && x > 112) a = 230;
            image.at(x, y)[3] = static_cast<std::uint8_t>(a);
        }
    }
    return image;
}

}  // namespace tavi::wincheck

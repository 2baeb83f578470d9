// A side-by-side comparison picture: pictures of one size in a row, each
// under its label, and under each a magnified detail of one region, the
// same for all, chosen where the reference has the most edges. Pictures
// are shown over a checkerboard so that their transparent and
// half-transparent parts show; the region is outlined in each.
#pragma once

#include <span>
#include <string>

#include "host/base/rgba_image.h"

namespace tavi::host::pictures {

struct ComparisonPanel {
    std::string label;                 // drawn with the built-in font; keep it short
    const RgbaImage *image = nullptr;  // not owned; must outlive the call
};

struct ComparisonOptions {
    int zoom = 4;             // magnification of the detail, nearest neighbour
    int referencePanel = -1;  // whose edges choose the detail; -1: the last
};

// A rectangle of pixels.
struct PixelRegion {
    int x = 0, y = 0, width = 0, height = 0;
};

// The width x height region of `reference` holding the most edge pixels
// (as image_metrics defines them); the top-most, then left-most, of equals.
// width and height are clamped to the picture.
PixelRegion densestEdgeRegion(const RgbaImage &reference, int width, int height);

// The comparison picture, opaque. Throws std::invalid_argument when there
// are no panels, a panel has no picture, the pictures' sizes differ, or
// zoom is below 1.
RgbaImage makeComparison(std::span<const ComparisonPanel> panels, const ComparisonOptions &options = {});

}  // namespace tavi::host::pictures

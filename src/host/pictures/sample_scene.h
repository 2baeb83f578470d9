// The host's built-in sample render: flat-shaded polygons with nearly
// horizontal and nearly vertical edges (where stair steps are worst),
// discs and a ring, thin lines and lettering, in a few colours over a
// transparent background. Rendered without anti-aliasing it is the input
// the filter is shown and measured on; rendered with many samples per
// pixel it is the ground truth the result is compared against.
#pragma once

#include "host/base/rgba_image.h"
#include "host/pictures/vector_drawing.h"

namespace tavi::host::pictures {

// The scene in its own units, 1600 x 900, stretched to whatever size it is
// rendered at.
Drawing sampleDrawing();

// The RGB of pixels no shape touches (their alpha is 0).
inline constexpr Colour kSampleBackground{22, 26, 34};

// Samples per axis of the ground truth: 8 x 8 = 64 per pixel.
inline constexpr int kGroundTruthSamplesPerAxis = 8;

struct SampleRenders {
    RgbaImage aliased;      // one sample per pixel, at its centre: hard edges
    RgbaImage groundTruth;  // truthSamplesPerAxis^2 samples per pixel, averaged
};

// Both renders of the sample at width x height. Deterministic. Throws
// std::invalid_argument for a size below 1 x 1 or fewer than 4 samples per
// axis for the truth.
SampleRenders renderSample(int width, int height, int truthSamplesPerAxis = kGroundTruthSamplesPerAxis);

}  // namespace tavi::host::pictures

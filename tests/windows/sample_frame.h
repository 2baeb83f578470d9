// The frame the module is run over on every platform: hard-edged shapes in
// colour and in alpha, strong and faint edges, drawn with integers only so
// that every compiler draws the same bytes.
#pragma once

#include "host/base/rgba_image.h"

namespace tavi::wincheck {

constexpr int kSampleWidth = 173;
constexpr int kSampleHeight = 117;

host::RgbaImage sampleFrame();

}  // namespace tavi::wincheck

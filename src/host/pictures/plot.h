// The one way a pixel of a picture is set to a colour: opaque, and nothing
// outside the picture, so callers may draw past its edges.
#pragma once

#include "host/base/rgba_image.h"
#include "host/pictures/colour.h"

namespace tavi::host::pictures {

void plot(RgbaImage &picture, int x, int y, Colour colour);

}  // namespace tavi::host::pictures

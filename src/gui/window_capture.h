// What the window shows, read back from OpenGL's back buffer once a frame is
// drawn and before it is swapped.
#pragma once

#include "host/base/rgba_image.h"

namespace tavi::gui {

// The current context's framebuffer of `width` by `height` pixels, rows
// from the top, alpha 255.
host::RgbaImage captureFramebuffer(int width, int height);

}  // namespace tavi::gui

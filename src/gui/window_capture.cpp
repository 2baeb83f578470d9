#include "gui/window_capture.h"

#include <SDL_opengl.h>

#include <algorithm>

namespace tavi::gui {

host::RgbaImage captureFramebuffer(int width, int height) {
    host::RgbaImage bottomUp(width, height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.rgba.data());

    host::RgbaImage picture(width, height);
    const std::size_t row = std::size_t(width) * 4;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *from = bottomUp.at(0, height - 1 - y);
        std::copy(from, from + row, picture.at(0, y));
    }
    for (std::size_t i = 3; i < picture.rgba.size(); i += 4) picture.rgba[i] = 255;
    return picture;
}

}  // namespace tavi::gui

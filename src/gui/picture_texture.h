// A picture of the host's, as an OpenGL texture that shows it pixel for
// pixel: nearest filtering, no mipmaps, uploaded again whenever it changed.
// Needs a current OpenGL context for its whole life.
#pragma once

#include <cstdint>

#include "host/base/rgba_image.h"

namespace tavi::gui {

class PictureTexture {
public:
    PictureTexture();
    ~PictureTexture();
    PictureTexture(const PictureTexture &) = delete;
    PictureTexture &operator=(const PictureTexture &) = delete;

    // Uploads `picture` unless the texture holds it already.
    void show(const host::RgbaImage &picture);
    // For Dear ImGui's draw lists.
    void *imguiId() const { return reinterpret_cast<void *>(static_cast<std::uintptr_t>(name_)); }

private:
    unsigned name_ = 0;
    host::RgbaImage uploaded_;
};

}  // namespace tavi::gui

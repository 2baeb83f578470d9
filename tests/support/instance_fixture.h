// Small helpers for tests that drive the module's code directly.
#pragma once

#include <memory>

#include "filter/instance.h"
#include "host/base/rgba_image.h"

namespace tavi::test {

struct InstanceDeleter {
    void operator()(FilterInstance *inst) const { TaviDestroy(inst); }
};
using InstancePtr = std::unique_ptr<FilterInstance, InstanceDeleter>;

inline InstancePtr makeInstance() { return InstancePtr(TaviCreate(nullptr)); }

// A picture whose every byte differs from its neighbours', so a misplaced
// index shows.
inline host::RgbaImage patternImage(int width, int height) {
    host::RgbaImage img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t *p = img.at(x, y);
            p[0] = std::uint8_t(x * 7 + y * 13);
            p[1] = std::uint8_t(x * 11 + y * 3 + 50);
            p[2] = std::uint8_t(x * 5 + y * 17 + 100);
            p[3] = std::uint8_t(x * 3 + y * 29 + 150);
        }
    return img;
}

}  // namespace tavi::test

#include "host/pictures/plot.h"

namespace tavi::host::pictures {

void plot(RgbaImage &picture, int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
    std::uint8_t *p = picture.at(x, y);
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = 255;
}

}  // namespace tavi::host::pictures

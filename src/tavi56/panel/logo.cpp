#include "panel/logo.h"

#include "filter/instance.h"
#include "panel/controls.h"

namespace {

// The logo's top-left pixel within the canvas; its last column and row meet
// the canvas's right and bottom edges.
constexpr int kLogoLeft = kPreviewWidth - kLogoWidth;
constexpr int kLogoTop = kPreviewHeight - kLogoHeight;

}  // namespace

bool isLogoKey(const unsigned char *pixel) {
    return pixel[0] == kLogoKey[0] && pixel[1] == kLogoKey[1] && pixel[2] == kLogoKey[2];
}

void redraw(PanelRef panel, void *data) {
    auto *inst = static_cast<FilterInstance *>(data);
    const PanelDrawing *drawing = inst->panelFuncs->drawFuncs;
    drawing->plotBorder(panel, 0, 0, 64, 355, 0);

    const int x0 = readControlInt(inst, CanvasCtl, CONTROL_AREA_X) + kLogoLeft;
    const int y0 = readControlInt(inst, CanvasCtl, CONTROL_AREA_Y) + kLogoTop;
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const unsigned char *pixel = &logo_data[(y * kLogoWidth + x) * 3];
            if (isLogoKey(pixel)) continue;
            drawing->plotRGB(inst->panel, pixel[0], pixel[1], pixel[2], x0 + x, y0 + y);
        }
}

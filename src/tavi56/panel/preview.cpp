#include "panel/preview.h"

#include <cstddef>

#include "engine/engine.h"
#include "filter/pixel_access.h"
#include "panel/controls.h"
#include "panel/settings_panel.h"

const int ScaleTbl[4] = {1, 2, 4, 8};

namespace {

FilterInstance *instanceOf(void *data) { return static_cast<FilterInstance *>(data); }

std::size_t frameIndex(const FilterInstance *inst, int x, int y) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(inst->width) + static_cast<std::size_t>(x);
}

std::size_t windowIndex(int column, int row) {
    return static_cast<std::size_t>(row) * kPreviewWidth + static_cast<std::size_t>(column);
}

bool insideFrame(const FilterInstance *inst, int x, int y) { return x < inst->width && y < inst->height; }

// Copies the shown block of the window into the preview planes; window
// pixels beyond the frame become 0.
void copyWindow(FilterInstance *inst) {
    const int scale = ScaleTbl[inst->zoom];
    for (int i = 0; i < kPreviewHeight / scale; ++i)
        for (int k = 0; k < kPreviewWidth / scale; ++k) {
            const int x = inst->viewX + k;
            const int y = inst->viewY + i;
            const std::size_t n = windowIndex(k, i);
            if (insideFrame(inst, x, y)) {
                const std::size_t f = frameIndex(inst, x, y);
                inst->prevR[n] = inst->bufR[f];
                inst->prevG[n] = inst->bufG[f];
                inst->prevB[n] = inst->bufB[f];
                inst->prevA[n] = inst->bufA[f];
            } else {
                inst->prevR[n] = 0;
                inst->prevG[n] = 0;
                inst->prevB[n] = 0;
                inst->prevA[n] = 0;
            }
        }
}

struct CanvasOrigin {
    int x;
    int y;
};

CanvasOrigin canvasOrigin(FilterInstance *inst) {
    const int x = readControlInt(inst, CanvasCtl, CONTROL_AREA_X);
    const int y = readControlInt(inst, CanvasCtl, CONTROL_AREA_Y);
    return {x, y};
}

void plot(FilterInstance *inst, int red, int green, int blue, int x, int y) {
    inst->panelFuncs->drawFuncs->plotRGB(inst->panel, red, green, blue, x, y);
}

// Moves one window coordinate against the pointer's move at half its
// speed (the remainder is dropped), then keeps the shown block in the frame.
int scrolled(int view, int move, int scale, int frameSize, int shownSize) {
    view -= move / (2 * scale);
    if (view > frameSize - shownSize) view = frameSize - shownSize;
    if (view < 0) view = 0;
    return view;
}

}  // namespace

bool previewPossible(const FilterInstance *inst) {
    return inst->haveFrame != 0 && inst->frameFailed == 0 && inst->previewFailed == 0;
}

void But_Draw(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    if (!previewPossible(inst)) return;
    inst->panelFuncs->renderControl(inst->ctl[ZoomCtl], RENDER_NORMAL);
    inst->panelFuncs->renderControl(inst->ctl[DragCtl], RENDER_NORMAL);
    copyWindow(inst);
    bindPreview(inst);
    smooth(nullptr, inst, 0);
    DrawImage(inst);
}

void Drg_Roll(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    if (!previewPossible(inst)) return;
    inst->panelFuncs->getControlAttr(inst->ctl[DragCtl], CONTROL_VALUE, &ivecval);
    const int pointerX = ivecval.val[0];
    const int pointerY = ivecval.val[1];
    // A new drag starts where the pointer is, without moving the window.
    if (ivecval.val[2] == 1) {
        inst->dragX = pointerX;
        inst->dragY = pointerY;
    }
    const int moveX = pointerX - inst->dragX;
    const int moveY = pointerY - inst->dragY;
    inst->dragX = pointerX;
    inst->dragY = pointerY;
    const int scale = ScaleTbl[inst->zoom];
    inst->viewX = scrolled(inst->viewX, moveX, scale, inst->width, kPreviewWidth / scale);
    inst->viewY = scrolled(inst->viewY, moveY, scale, inst->height, kPreviewHeight / scale);
    DrawDImage(inst);
}

extern "C" void DrawImage(FilterInstance *inst) {
    const CanvasOrigin origin = canvasOrigin(inst);
    const int scale = ScaleTbl[inst->zoom];
    for (int i = 0; i < kPreviewHeight; ++i)
        for (int j = 0; j < kPreviewWidth; ++j) {
            const std::size_t n = windowIndex(j / scale, i / scale);
            if (inst->previewType == 0) {
                plot(inst, inst->prevR[n], inst->prevG[n], inst->prevB[n], origin.x + j, origin.y + i);
            } else {
                const int a = inst->prevA[n];
                plot(inst, a, a, a, origin.x + j, origin.y + i);
            }
        }
}

extern "C" void DrawDImage(FilterInstance *inst) {
    const CanvasOrigin origin = canvasOrigin(inst);
    const int scale = ScaleTbl[inst->zoom];
    for (int i = 0; i < kPreviewHeight; ++i) {
        const int y = i / scale + inst->viewY;
        for (int j = 0; j < kPreviewWidth; ++j) {
            const int x = j / scale + inst->viewX;
            int r = 0, g = 0, b = 0, a = 0;
            if (insideFrame(inst, x, y)) {
                const std::size_t f = frameIndex(inst, x, y);
                r = inst->bufR[f];
                g = inst->bufG[f];
                b = inst->bufB[f];
                a = inst->bufA[f];
            }
            if (inst->previewType == 0)
                plot(inst, r, g, b, origin.x + j, origin.y + i);
            else
                plot(inst, a, a, a, origin.x + j, origin.y + i);
        }
    }
}

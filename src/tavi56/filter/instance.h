// The per-instance record of the filter and the callbacks that create,
// copy, describe and destroy it.
#pragma once

#include <cstdint>

#include "host/host_records.h"

// One pixel as the accessors pass it. Colour readers leave alpha 0, alpha
// readers leave the colour 0.
struct PixelQuad {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    std::uint8_t a;
};

struct FilterInstance;

// Readers take (instance, x, y, quad); writers take the frame being
// processed (null in the preview) first. Coordinates are always frame
// coordinates; every accessor clamps its own.
using PixelReader = void (*)(FilterInstance *inst, int x, int y, PixelQuad *quad);
using PixelWriter = void (*)(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);

constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 240;
constexpr int kPreviewPlaneSize = kPreviewWidth * kPreviewHeight;
constexpr int kControlCount = 10;

struct FilterInstance {
    char name[128];
    PanelServices *panelFuncs;
    PanelRef panel;
    ControlRef ctl[kControlCount];
    std::uint8_t haveFrame;
    int target;  // 0 RGB only, 1 Alpha only, 2 RGBA
    std::uint8_t enabled;
    int strength;
    int threshold;
    int previewType;  // 0 RGB, 1 Alpha
    int zoom;         // index into the zoom factors
    std::uint8_t autoDraw;
    std::uint8_t frameFailed;
    std::uint8_t previewFailed;
    int viewX;
    int viewY;
    int dragX;
    int dragY;
    int curStrength;
    int curThreshold;
    int curMode;  // bit 0 colour, bit 1 alpha
    std::uint8_t *bufR;
    std::uint8_t *bufG;
    std::uint8_t *bufB;
    std::uint8_t *bufA;
    std::uint8_t *prevR;
    std::uint8_t *prevG;
    std::uint8_t *prevB;
    std::uint8_t *prevA;
    const std::uint8_t **rowR;
    const std::uint8_t **rowG;
    const std::uint8_t **rowB;
    const std::uint8_t **rowA;
    int width;
    int height;
    PixelReader readSrc;
    PixelReader readDst;
    PixelWriter writeDst;
    PixelReader readSrcA;
    PixelReader readDstA;
    PixelWriter writeDstA;
};

// A new instance with its defaults, or null when the record itself cannot
// be obtained. A failed preview plane only sets previewFailed.
FilterInstance *TaviCreate(void *hostData);
// Releases the frame planes, the preview planes and the record. Null is ignored.
void TaviDestroy(FilterInstance *inst);
// `to` takes everything of `from` but its own buffers and their state.
int TaviCopy(const FilterInstance *from, FilterInstance *to);
const char *TaviDescribe(FilterInstance *inst);
const void *TaviUseItems(FilterInstance *inst);
void TaviChangeID(FilterInstance *inst, const void *ids);
unsigned int TaviFlags(FilterInstance *inst);

// Release the four planes of a group and null their fields.
void releaseFramePlanes(FilterInstance *inst);
void releasePreviewPlanes(FilterInstance *inst);

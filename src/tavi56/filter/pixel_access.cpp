#include "filter/pixel_access.h"

#include <cstddef>

namespace {

// Out-of-range coordinates take the nearest edge pixel, as if the frame's
// border were repeated outward.
std::size_t frameIndex(const FilterInstance *inst, int &x, int &y) {
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (x >= inst->width) x = inst->width - 1;
    if (y >= inst->height) y = inst->height - 1;
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(inst->width) + static_cast<std::size_t>(x);
}

std::size_t windowIndex(const FilterInstance *inst, int x, int y) {
    int wx = x - inst->viewX;
    int wy = y - inst->viewY;
    if (wx < 0) wx = 0;
    if (wy < 0) wy = 0;
    if (wx > kPreviewWidth - 1) wx = kPreviewWidth - 1;
    if (wy > kPreviewHeight - 1) wy = kPreviewHeight - 1;
    return static_cast<std::size_t>(wy) * kPreviewWidth + static_cast<std::size_t>(wx);
}

}  // namespace

extern "C" {

void readB(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    const std::size_t i = frameIndex(inst, x, y);
    *quad = {inst->bufR[i], inst->bufG[i], inst->bufB[i], 0};
}

void readF(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    frameIndex(inst, x, y);
    *quad = {inst->rowR[y][x], inst->rowG[y][x], inst->rowB[y][x], 0};
}

void readP(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    const std::size_t i = windowIndex(inst, x, y);
    *quad = {inst->prevR[i], inst->prevG[i], inst->prevB[i], 0};
}

void readB_a(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    const std::size_t i = frameIndex(inst, x, y);
    *quad = {0, 0, 0, inst->bufA[i]};
}

void readF_a(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    frameIndex(inst, x, y);
    *quad = {0, 0, 0, inst->rowA[y][x]};
}

void readP_a(FilterInstance *inst, int x, int y, PixelQuad *quad) {
    const std::size_t i = windowIndex(inst, x, y);
    *quad = {0, 0, 0, inst->prevA[i]};
}

void writeB(const FrameAccess * /*frame*/, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    const std::size_t i = frameIndex(inst, x, y);
    inst->bufR[i] = quad->r;
    inst->bufG[i] = quad->g;
    inst->bufB[i] = quad->b;
}

void writeF(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    frameIndex(inst, x, y);
    const unsigned char rgb[3] = {quad->r, quad->g, quad->b};
    frame->putRGB(x, y, rgb);
}

void writeP(const FrameAccess * /*frame*/, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    const std::size_t i = windowIndex(inst, x, y);
    inst->prevR[i] = quad->r;
    inst->prevG[i] = quad->g;
    inst->prevB[i] = quad->b;
}

void writeB_a(const FrameAccess * /*frame*/, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    inst->bufA[frameIndex(inst, x, y)] = quad->a;
}

void writeF_a(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    frameIndex(inst, x, y);
    frame->putAlpha(x, y, quad->a);
}

void writeP_a(const FrameAccess * /*frame*/, FilterInstance *inst, int x, int y, const PixelQuad *quad) {
    inst->prevA[windowIndex(inst, x, y)] = quad->a;
}

}  // extern "C"

void bindFullFrame(FilterInstance *inst) {
    inst->readSrc = readF;
    inst->readDst = readB;
    inst->writeDst = writeB;
    inst->readSrcA = readF_a;
    inst->readDstA = readB_a;
    inst->writeDstA = writeB_a;
}

void bindPreview(FilterInstance *inst) {
    inst->readSrc = readB;
    inst->readDst = readP;
    inst->writeDst = writeP;
    inst->readSrcA = readB_a;
    inst->readDstA = readP_a;
    inst->writeDstA = writeP_a;
}

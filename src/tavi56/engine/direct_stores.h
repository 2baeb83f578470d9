// The stores behind the two standard bindings, addressed directly. Sources
// hand out whole rows; the caller clamps to the frame first. Working
// stores index their planes with the clamp of their accessors: the frame
// planes clamp to the frame, the preview planes to the window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "filter/instance.h"

namespace engine::direct {

// Channels are numbered 0 red, 1 green, 2 blue, 3 alpha.

// The host's rows of the frame being processed, through the row tables.
class HostRows {
public:
    explicit HostRows(const FilterInstance *inst)
        : rows_{inst->rowR, inst->rowG, inst->rowB, inst->rowA}, width_(inst->width), height_(inst->height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    // Row y, 0 <= y < height.
    const std::uint8_t *row(int channel, int y) const { return rows_[channel][y]; }

private:
    const std::uint8_t *const *rows_[4];
    int width_;
    int height_;
};

// The frame planes read as a source, as the preview reads them.
class FramePlanesSource {
public:
    explicit FramePlanesSource(const FilterInstance *inst)
        : planes_{inst->bufR, inst->bufG, inst->bufB, inst->bufA}, width_(inst->width), height_(inst->height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    const std::uint8_t *row(int channel, int y) const {
        return planes_[channel] + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
    }

private:
    const std::uint8_t *planes_[4];
    int width_;
    int height_;
};

// The frame planes as the working image of a frame.
class FramePlanesWork {
public:
    explicit FramePlanesWork(const FilterInstance *inst)
        : planes_{inst->bufR, inst->bufG, inst->bufB, inst->bufA}, width_(inst->width), height_(inst->height) {}

    std::uint8_t *plane(int channel) const { return planes_[channel]; }
    std::size_t index(int x, int y) const {
        if (x < 0) x = 0;
        if (y < 0) y = 0;
        if (x >= width_) x = width_ - 1;
        if (y >= height_) y = height_ - 1;
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

private:
    std::uint8_t *planes_[4];
    int width_;
    int height_;
};

// The preview planes: the 320x240 window at (viewX, viewY), addressed in
// frame coordinates.
class PreviewPlanesWork {
public:
    explicit PreviewPlanesWork(const FilterInstance *inst)
        : planes_{inst->prevR, inst->prevG, inst->prevB, inst->prevA}, viewX_(inst->viewX), viewY_(inst->viewY) {}

    std::uint8_t *plane(int channel) const { return planes_[channel]; }
    std::size_t index(int x, int y) const {
        int wx = x - viewX_;
        int wy = y - viewY_;
        if (wx < 0) wx = 0;
        if (wy < 0) wy = 0;
        if (wx > kPreviewWidth - 1) wx = kPreviewWidth - 1;
        if (wy > kPreviewHeight - 1) wy = kPreviewHeight - 1;
        return static_cast<std::size_t>(wy) * kPreviewWidth + static_cast<std::size_t>(wx);
    }

private:
    std::uint8_t *planes_[4];
    int viewX_;
    int viewY_;
};

}  // namespace engine::direct

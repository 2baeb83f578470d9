// The pixels a filter wrote otherwise than its input has them: all a host
// needs where the output goes back into the input's own pixels, without a
// whole output frame to fill and compare. Writes may come in any order and
// any number of times; the last write of each sample counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/frame/changed_pixel.h"
#include "host/frame/frame_planes.h"

namespace tavi::host {

class PixelChanges {
public:
    explicit PixelChanges(const frame::FramePlanes &input)
        : input_{input.plane(0), input.plane(1), input.plane(2), input.plane(3)}, pixels_(input.pixels()) {
        // Room for the changes of a busy frame (a few in a hundred pixels),
        // taken up only as it is used: the list seldom moves.
        writes_.reserve(pixels_ / 16 + 64);
    }

    // Samples First .. First + Count - 1 of pixel `index` (red 0 .. alpha
    // 3) written as `values`. Called for every pixel of a frame: the common
    // case, a write that keeps the input's samples, costs a compare.
    template <int First, int Count>
    void note(std::size_t index, const std::uint8_t *values) {
        if (writes_.empty() || writes_.back().index != index) {
            bool differs = false;
            for (int k = 0; k < Count; ++k) differs |= values[k] != input_[First + k][index];
            // A write that keeps the input's samples matters only after one
            // that did not.
            if (!differs && !hasWrite(index)) return;
            startWrite(index);
        }
        Write &write = writes_.back();
        for (int k = 0; k < Count; ++k) {
            write.rgba[First + k] = values[k];
            write.mask = std::uint8_t(write.mask | (1u << (First + k)));
        }
    }

    // One entry a pixel that ends up otherwise than the input, by index.
    std::vector<frame::ChangedPixel> collect();

private:
    struct Write {
        std::size_t index;
        std::uint8_t rgba[4];
        std::uint8_t mask;  // bit c: sample c was written
    };

    // Pixels past every one written so far have no write; only a filter
    // that goes back needs the map of the others.
    bool hasWrite(std::size_t index) { return !writes_.empty() && index <= highest_ && writtenBefore(index); }
    bool writtenBefore(std::size_t index);
    void startWrite(std::size_t index);

    const std::uint8_t *input_[4];
    std::size_t pixels_;
    std::vector<Write> writes_;
    std::size_t highest_ = 0;    // the largest index written
    std::vector<bool> written_;  // made on the first write out of order
};

}  // namespace tavi::host

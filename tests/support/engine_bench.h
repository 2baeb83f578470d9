// An instance set up for the engine as frame processing sets it up: the
// source in host rows read through readF/readF_a, the working image in the
// frame planes behind readB/writeB. Both stores belong to the bench, which
// can put the working image back to the source between runs.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "filter/pixel_access.h"
#include "support/instance_fixture.h"
#include "host/base/rgba_image.h"

namespace tavi::test {

class EngineBench {
public:
    EngineBench(const host::RgbaImage &source, const host::RgbaImage &working)
        : width_(source.width), height_(source.height), inst_(makeInstance()) {
        const std::size_t pixels = std::size_t(width_) * std::size_t(height_);
        for (int c = 0; c < 4; ++c) {
            source_[c].resize(pixels);
            working_[c].resize(pixels);
            for (std::size_t i = 0; i < pixels; ++i) {
                source_[c][i] = source.rgba[i * 4 + std::size_t(c)];
                working_[c][i] = working.rgba[i * 4 + std::size_t(c)];
            }
            rows_[c].resize(std::size_t(height_));
            for (int y = 0; y < height_; ++y) rows_[c][std::size_t(y)] = source_[c].data() + std::size_t(y) * width_;
        }
        FilterInstance *inst = inst_.get();
        inst->width = width_;
        inst->height = height_;
        inst->rowR = rows_[0].data();
        inst->rowG = rows_[1].data();
        inst->rowB = rows_[2].data();
        inst->rowA = rows_[3].data();
        inst->bufR = working_[0].data();
        inst->bufG = working_[1].data();
        inst->bufB = working_[2].data();
        inst->bufA = working_[3].data();
        bindFullFrame(inst);
        inst->curStrength = 100;
        inst->curThreshold = 224;
        inst->curMode = 3;
    }
    explicit EngineBench(const host::RgbaImage &image) : EngineBench(image, image) {}

    ~EngineBench() {
        // The stores are the bench's, not the instance's.
        FilterInstance *inst = inst_.get();
        inst->bufR = inst->bufG = inst->bufB = inst->bufA = nullptr;
        inst->rowR = inst->rowG = inst->rowB = inst->rowA = nullptr;
    }
    EngineBench(const EngineBench &) = delete;
    EngineBench &operator=(const EngineBench &) = delete;

    FilterInstance *inst() const { return inst_.get(); }
    std::size_t pixels() const { return std::size_t(width_) * std::size_t(height_); }

    void resetWorkingImage() {
        for (int c = 0; c < 4; ++c) std::memcpy(working_[c].data(), source_[c].data(), pixels());
    }

    // The working image as it stands.
    host::RgbaImage working() const {
        host::RgbaImage img(width_, height_);
        for (std::size_t i = 0; i < working_[0].size(); ++i)
            for (int c = 0; c < 4; ++c) img.rgba[i * 4 + std::size_t(c)] = working_[c][i];
        return img;
    }

private:
    int width_;
    int height_;
    std::array<std::vector<std::uint8_t>, 4> source_;
    std::array<std::vector<std::uint8_t>, 4> working_;
    std::array<std::vector<const std::uint8_t *>, 4> rows_;
    InstancePtr inst_;
};

// A picture of one grey value (and one alpha) everywhere.
inline host::RgbaImage uniformImage(int width, int height, std::uint8_t grey, std::uint8_t alpha) {
    host::RgbaImage img(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t *p = img.at(x, y);
            p[0] = p[1] = p[2] = grey;
            p[3] = alpha;
        }
    return img;
}

inline void setGrey(host::RgbaImage &img, int x, int y, std::uint8_t grey) {
    std::uint8_t *p = img.at(x, y);
    p[0] = p[1] = p[2] = grey;
}

}  // namespace tavi::test

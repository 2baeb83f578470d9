// A frame as the host hands it to an image filter: one plane of bytes per
// channel (red, green, blue, alpha), rows packed. Its bytes start out
// unset; whoever makes a frame fills every one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/base/rgba_image.h"

namespace tavi::host::frame {

class FramePlanes {
public:
    FramePlanes() = default;
    FramePlanes(int width, int height) : width_(width), height_(height) {
        for (auto &plane : planes_) plane.reset(new std::uint8_t[pixels()]);  // left unset: filled by the maker
    }
    FramePlanes(FramePlanes &&) noexcept = default;
    FramePlanes &operator=(FramePlanes &&) noexcept = default;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t pixels() const { return std::size_t(width_) * std::size_t(height_); }
    std::uint8_t *plane(int channel) { return planes_[channel].get(); }
    const std::uint8_t *plane(int channel) const { return planes_[channel].get(); }

    FramePlanes copy() const {
        FramePlanes twin(width_, height_);
        for (int c = 0; c < 4; ++c) std::copy_n(plane(c), pixels(), twin.plane(c));
        return twin;
    }
    static FramePlanes of(const RgbaImage &image) {
        FramePlanes frame(image.width, image.height);
        for (std::size_t i = 0; i < frame.pixels(); ++i)
            for (int c = 0; c < 4; ++c) frame.plane(c)[i] = image.rgba[i * 4 + std::size_t(c)];
        return frame;
    }
    RgbaImage interleaved() const {
        RgbaImage image(width_, height_);
        for (std::size_t i = 0; i < pixels(); ++i)
            for (int c = 0; c < 4; ++c) image.rgba[i * 4 + std::size_t(c)] = plane(c)[i];
        return image;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[]> planes_[4];
};

}  // namespace tavi::host::frame

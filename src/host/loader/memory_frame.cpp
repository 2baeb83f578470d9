#include "host/loader/memory_frame.h"

#include <cstddef>

namespace tavi::host {

namespace {
thread_local MemoryFrame *currentFrame = nullptr;
}

MemoryFrame::MemoryFrame(const RgbaImage &input) : output_(input) { split(output_); }

MemoryFrame::MemoryFrame(RgbaImage &&input) : output_(std::move(input)) { split(output_); }

void MemoryFrame::split(const RgbaImage &input) {
    const std::size_t pixels = std::size_t(input.width) * std::size_t(input.height);
    for (int c = 0; c < 4; ++c) {
        planes_[c].resize(pixels);
        for (std::size_t i = 0; i < pixels; ++i) planes_[c][i] = input.rgba[i * 4 + std::size_t(c)];
    }
    access_.width = input.width;
    access_.height = input.height;
    access_.getRow = &MemoryFrame::getRow;
    access_.putRGB = &MemoryFrame::putRGB;
    access_.putAlpha = &MemoryFrame::putAlpha;
}

MemoryFrame::~MemoryFrame() {
    if (currentFrame == this) currentFrame = nullptr;
}

const FrameAccess *MemoryFrame::bind() {
    currentFrame = this;
    return &access_;
}

const unsigned char *MemoryFrame::getRow(int channel, int row) {
    MemoryFrame *f = currentFrame;
    if (channel < CHANNEL_RED || channel > CHANNEL_ALPHA) return nullptr;
    if (row < 0 || row >= f->access_.height) return nullptr;
    return f->planes_[channel - CHANNEL_RED].data() + std::size_t(row) * std::size_t(f->access_.width);
}

void MemoryFrame::putRGB(int x, int y, const unsigned char *rgb) {
    MemoryFrame *f = currentFrame;
    ++f->putRGBCalls_;
    if (x < 0 || y < 0 || x >= f->output_.width || y >= f->output_.height) return;
    std::uint8_t *p = f->output_.at(x, y);
    p[0] = rgb[0];
    p[1] = rgb[1];
    p[2] = rgb[2];
}

void MemoryFrame::putAlpha(int x, int y, int alpha) {
    MemoryFrame *f = currentFrame;
    ++f->putAlphaCalls_;
    if (x < 0 || y < 0 || x >= f->output_.width || y >= f->output_.height) return;
    f->output_.at(x, y)[3] = static_cast<std::uint8_t>(alpha);
}

}  // namespace tavi::host

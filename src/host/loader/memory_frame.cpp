#include "host/loader/memory_frame.h"

#include <cstddef>

namespace tavi::host {

namespace {
// The put calls run once per pixel; in a shared library the general model
// would ask the dynamic linker for this pointer every time. One pointer
// fits the static TLS room glibc keeps for libraries opened later.
#if defined(__ELF__)
__attribute__((tls_model("initial-exec")))
#endif
thread_local MemoryFrame *currentFrame = nullptr;
}  // namespace

MemoryFrame::MemoryFrame(const RgbaImage &input) : owned_(frame::FramePlanes::of(input)), input_(&owned_) {
    describe(OutputStart::copyOfInput);
}

MemoryFrame::MemoryFrame(const frame::FramePlanes &input, OutputStart start) : input_(&input) { describe(start); }

MemoryFrame::MemoryFrame(frame::FramePlanes &&input) : owned_(std::move(input)), input_(&owned_) {
    describe(OutputStart::copyOfInput);
}

void MemoryFrame::describe(OutputStart start) {
    switch (start) {
    case OutputStart::copyOfInput: output_ = input_->copy(); break;
    case OutputStart::unset: output_ = frame::FramePlanes(input_->width(), input_->height()); break;
    case OutputStart::changesOnly: changes_.emplace(*input_); break;
    }
    access_.width = input_->width();
    access_.height = input_->height();
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
    const MemoryFrame *f = currentFrame;
    if (channel < CHANNEL_RED || channel > CHANNEL_ALPHA) return nullptr;
    if (row < 0 || row >= f->access_.height) return nullptr;
    return f->input_->plane(channel - CHANNEL_RED) + std::size_t(row) * std::size_t(f->access_.width);
}

void MemoryFrame::putRGB(int x, int y, const unsigned char *rgb) {
    MemoryFrame *f = currentFrame;
    ++f->putRGBCalls_;
    if (unsigned(x) >= unsigned(f->access_.width) || unsigned(y) >= unsigned(f->access_.height)) return;
    const std::size_t i = std::size_t(y) * std::size_t(f->access_.width) + std::size_t(x);
    if (f->changes_) {
        f->changes_->note<0, 3>(i, rgb);
        return;
    }
    // Read before any store: a store to a plane could otherwise be taken
    // for a change of rgb.
    const unsigned char red = rgb[0], green = rgb[1], blue = rgb[2];
    f->output_.plane(0)[i] = red;
    f->output_.plane(1)[i] = green;
    f->output_.plane(2)[i] = blue;
}

void MemoryFrame::putAlpha(int x, int y, int alpha) {
    MemoryFrame *f = currentFrame;
    ++f->putAlphaCalls_;
    if (unsigned(x) >= unsigned(f->access_.width) || unsigned(y) >= unsigned(f->access_.height)) return;
    const std::size_t i = std::size_t(y) * std::size_t(f->access_.width) + std::size_t(x);
    const auto value = static_cast<std::uint8_t>(alpha);
    if (f->changes_) {
        f->changes_->note<3, 1>(i, &value);
        return;
    }
    f->output_.plane(3)[i] = value;
}

}  // namespace tavi::host

// A rendered frame as the host hands it to an image filter: input rows per
// channel, and a separate output that putRGB and putAlpha fill.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "tavi56/host/host_records.h"
#include "host/base/rgba_image.h"

namespace tavi::host {

class MemoryFrame {
public:
    // The output starts as a copy of the input, so pixels a filter leaves
    // alone keep their values. Given the input to keep, the frame makes it
    // the output instead of copying it.
    explicit MemoryFrame(const RgbaImage &input);
    explicit MemoryFrame(RgbaImage &&input);
    ~MemoryFrame();
    MemoryFrame(const MemoryFrame &) = delete;
    MemoryFrame &operator=(const MemoryFrame &) = delete;

    // The record to hand to the filter. The host's frame operations carry no
    // context, so this frame becomes the calling thread's current one until
    // another frame is bound or this one is destroyed.
    const FrameAccess *bind();

    const RgbaImage &output() const { return output_; }
    // The output, moved out; the frame keeps an empty one.
    RgbaImage takeOutput() { return std::move(output_); }

    long putRGBCalls() const { return putRGBCalls_; }
    long putAlphaCalls() const { return putAlphaCalls_; }

private:
    void split(const RgbaImage &input);
    static const unsigned char *getRow(int channel, int row);
    static void putRGB(int x, int y, const unsigned char *rgb);
    static void putAlpha(int x, int y, int alpha);

    FrameAccess access_{};
    std::vector<std::uint8_t> planes_[4];  // input, one plane per channel
    RgbaImage output_;
    long putRGBCalls_ = 0;
    long putAlphaCalls_ = 0;
};

}  // namespace tavi::host

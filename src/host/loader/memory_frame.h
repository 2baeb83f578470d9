// A rendered frame as the host hands it to an image filter: input rows per
// channel, and a separate output that putRGB and putAlpha fill.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "tavi56/host/host_records.h"
#include "host/frame/frame_planes.h"
#include "host/base/rgba_image.h"
#include "host/loader/pixel_changes.h"

namespace tavi::host {

class MemoryFrame {
public:
    // How the output starts: as a copy of the input, so pixels a filter
    // leaves alone keep their values; or unset, for a host that checks the
    // filter wrote every pixel (putRGBCalls and putAlphaCalls) and spares
    // the copy; or as no frame at all, only the pixels written otherwise
    // than the input has them kept (takeChanges), for a host that puts
    // those back into the input's own pixels.
    enum class OutputStart {
        copyOfInput,
        unset,
        changesOnly
    };

    // A frame made from planes it is given borrows them (they must outlive
    // it) or, moved in, keeps them.
    explicit MemoryFrame(const RgbaImage &input);
    explicit MemoryFrame(const frame::FramePlanes &input, OutputStart start = OutputStart::copyOfInput);
    explicit MemoryFrame(frame::FramePlanes &&input);
    ~MemoryFrame();
    MemoryFrame(const MemoryFrame &) = delete;
    MemoryFrame &operator=(const MemoryFrame &) = delete;

    // The record to hand to the filter. The host's frame operations carry no
    // context, so this frame becomes the calling thread's current one until
    // another frame is bound or this one is destroyed.
    const FrameAccess *bind();

    const frame::FramePlanes &input() const { return *input_; }
    const frame::FramePlanes &outputPlanes() const { return output_; }
    RgbaImage output() const { return output_.interleaved(); }
    // The output, moved out; the frame keeps an empty one.
    frame::FramePlanes takeOutput() { return std::move(output_); }
    // With changesOnly: the pixels that differ from the input, by index.
    std::vector<frame::ChangedPixel> takeChanges() {
        return changes_ ? changes_->collect() : std::vector<frame::ChangedPixel>{};
    }

    // 64-bit counts: a frame may have more than 2^31 pixels, and a long has
    // only 32 bits on 64-bit Windows.
    std::int64_t putRGBCalls() const { return putRGBCalls_; }
    std::int64_t putAlphaCalls() const { return putAlphaCalls_; }

private:
    void describe(OutputStart start);
    static const unsigned char *getRow(int channel, int row);
    static void putRGB(int x, int y, const unsigned char *rgb);
    static void putAlpha(int x, int y, int alpha);

    FrameAccess access_{};
    frame::FramePlanes owned_;         // the input, where the frame keeps it
    const frame::FramePlanes *input_;  // the input, kept or borrowed
    frame::FramePlanes output_;
    std::optional<PixelChanges> changes_;  // in place of output_, with changesOnly
    std::int64_t putRGBCalls_ = 0;
    std::int64_t putAlphaCalls_ = 0;
};

}  // namespace tavi::host

// A host frame that notes every putRGB and putAlpha call in order, so two
// runs can be compared call for call, and can act as a broken host would;
// and the frame planes of an instance as a picture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "filter/instance.h"
#include "tavi56/host/host_records.h"
#include "host/base/rgba_image.h"

namespace tavi::test {

struct PutCall {
    bool alpha;  // putAlpha; otherwise putRGB
    int x;
    int y;
    int value[3];  // red, green, blue; or alpha in [0]
    bool operator==(const PutCall &) const = default;
};

class RecordingFrame {
public:
    explicit RecordingFrame(const host::RgbaImage &input) : output_(input) {
        const std::size_t pixels = std::size_t(input.width) * std::size_t(input.height);
        for (int c = 0; c < 4; ++c) {
            planes_[c].resize(pixels);
            for (std::size_t i = 0; i < pixels; ++i) planes_[c][i] = input.rgba[i * 4 + std::size_t(c)];
        }
        access_ = {input.width, input.height, &getRow, &putRGB, &putAlpha};
    }
    ~RecordingFrame() {
        if (current_ == this) current_ = nullptr;
    }
    RecordingFrame(const RecordingFrame &) = delete;
    RecordingFrame &operator=(const RecordingFrame &) = delete;

    // The record to hand to the filter; this frame takes the calls until
    // another is bound.
    const FrameAccess *bind() {
        current_ = this;
        return &access_;
    }

    const std::vector<PutCall> &puts() const { return puts_; }
    const host::RgbaImage &output() const { return output_; }
    long getRowCalls() const { return getRowCalls_; }
    long putRGBCalls() const {
        return std::count_if(puts_.begin(), puts_.end(), [](auto &p) { return !p.alpha; });
    }
    long putAlphaCalls() const { return long(puts_.size()) - putRGBCalls(); }

    // Overwrites the output, so a test can see which pixels get written.
    void fillOutput(std::uint8_t value) { output_.rgba.assign(output_.rgba.size(), value); }
    // Makes getRow answer null for one row.
    void withholdRow(int row) { withheldRow_ = row; }

private:
    static const unsigned char *getRow(int channel, int row) {
        ++current_->getRowCalls_;
        if (channel < CHANNEL_RED || channel > CHANNEL_ALPHA) return nullptr;
        if (row < 0 || row >= current_->access_.height || row == current_->withheldRow_) return nullptr;
        return current_->planes_[channel - CHANNEL_RED].data() +
               std::size_t(row) * std::size_t(current_->access_.width);
    }
    static void putRGB(int x, int y, const unsigned char *rgb) {
        current_->puts_.push_back({false, x, y, {rgb[0], rgb[1], rgb[2]}});
        std::uint8_t *p = current_->output_.at(x, y);
        p[0] = rgb[0];
        p[1] = rgb[1];
        p[2] = rgb[2];
    }
    static void putAlpha(int x, int y, int alpha) {
        current_->puts_.push_back({true, x, y, {alpha, 0, 0}});
        current_->output_.at(x, y)[3] = static_cast<std::uint8_t>(alpha);
    }

    static inline thread_local RecordingFrame *current_ = nullptr;
    FrameAccess access_{};
    std::vector<std::uint8_t> planes_[4];
    host::RgbaImage output_;
    std::vector<PutCall> puts_;
    long getRowCalls_ = 0;
    int withheldRow_ = -1;
};

// The frame planes of an instance, as a picture of its width and height.
inline host::RgbaImage framePlanes(const FilterInstance *inst) {
    host::RgbaImage img(inst->width, inst->height);
    const std::uint8_t *planes[4] = {inst->bufR, inst->bufG, inst->bufB, inst->bufA};
    for (std::size_t i = 0; i < std::size_t(inst->width) * std::size_t(inst->height); ++i)
        for (int c = 0; c < 4; ++c) img.rgba[i * 4 + std::size_t(c)] = planes[c][i];
    return img;
}

}  // namespace tavi::test

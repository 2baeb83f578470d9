// Blends of a pass noted instead of made, to be made later in the order
// they were found. Up to a fixed number; past it the notes are incomplete
// and the caller must find the blends again.
#pragma once

#include "engine/span_walk.h"

namespace engine::direct {

class NotedBlends {
public:
    // In the form of a blend: notes the span.
    void span(const SpanLayout & /*layout*/, int runStart, int stepAt, int runEnd, int line) {
        if (count_ < kCapacity) notes_[count_] = {runStart, stepAt, runEnd, line};
        if (count_ <= kCapacity) ++count_;
    }

    bool overflowed() const { return count_ > kCapacity; }
    // How many more fit.
    int room() const { return count_ >= kCapacity ? 0 : kCapacity - count_; }

    // Makes every noted span with `blend`, laid out as `layout`.
    template <class Blend>
    void makeAll(const SpanLayout &layout, Blend &blend) const {
        for (int i = 0; i < count_ && i < kCapacity; ++i) {
            const Note &n = notes_[i];
            blend.span(layout, n.runStart, n.stepAt, n.runEnd, n.line);
        }
    }

private:
    static constexpr int kCapacity = 512;
    struct Note {
        int runStart;
        int stepAt;
        int runEnd;
        int line;
    };
    Note notes_[kCapacity];
    int count_ = 0;
};

}  // namespace engine::direct

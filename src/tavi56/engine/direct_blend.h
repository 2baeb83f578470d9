// The span blending of one channel group on direct stores: the same ramps,
// step average and strength pull as the routines behind the slots, pixel
// by pixel in the same order, one channel at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/direct_source.h"
#include "engine/mix.h"
#include "engine/span_walk.h"

namespace engine::direct {

// The blend callbacks of walkSpan. Across neighbours come unblended from
// the source; the pixels themselves and the step's neighbours from the
// working image, as earlier blends left them. The channels of a pixel
// never mix, so blending them one after another gives the same bytes as
// blending the pixel at once.
template <class View, class Work>
class DirectBlend {
public:
    using Group = typename View::Group;

    DirectBlend(const View &source, Work &work, int strength) : source_(source), work_(work), strength_(strength) {}

    // The blend of one step, its pixels laid out as `layout` says.
    void span(const SpanLayout &layout, int runStart, int stepAt, int runEnd, int line) {
        walkSpan(layout, runStart, stepAt, runEnd, line, *this);
    }

    // walkSpan's callbacks.
    void ramp(PixelAt at, PixelAt across, int weight) {
        const Pixel<Group> p = source_.pixel(across.x, across.y);
        const std::size_t i = work_.index(at.x, at.y);
        for (int c = 0; c < Group::count; ++c) {
            std::uint8_t &w = work_.plane(Group::first + c)[i];
            w = pulledBack(mix(static_cast<std::uint8_t>(p.v[c]), w, weight), w);
        }
    }

    void step(PixelAt at, PixelAt after, PixelAt before) {
        const std::size_t i = work_.index(at.x, at.y);
        const std::size_t iAfter = work_.index(after.x, after.y);
        const std::size_t iBefore = work_.index(before.x, before.y);
        for (int c = 0; c < Group::count; ++c) {
            std::uint8_t *plane = work_.plane(Group::first + c);
            plane[i] = pulledBack(mix(plane[iAfter], plane[iBefore], kHalfWeight), plane[i]);
        }
    }

private:
    std::uint8_t pulledBack(std::uint8_t blended, std::uint8_t working) const {
        return mix(blended, working, strength_);
    }

    const View &source_;
    Work &work_;
    int strength_;
};

}  // namespace engine::direct

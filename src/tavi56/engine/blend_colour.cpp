// Colour span blending: red, green and blue of the working image; the alpha
// plane is never written.
#include "engine/span_blend.h"
#include "engine/span_walk.h"

namespace {

using engine::mix;
using engine::PixelAt;

// Blends through the instance's colour slots, fetched once per call, with
// the strength weight of the call. The across neighbours come unblended
// from the source; the pixels themselves from the working image, as
// earlier blends left it.
class ColourBlend {
public:
    ColourBlend(const FrameAccess *frame, FilterInstance *inst)
        : frame_(frame), inst_(inst), readSrc_(inst->readSrc), readDst_(inst->readDst), writeDst_(inst->writeDst),
          strength_(engine::strengthWeight(inst->curStrength)) {}

    // Cross-fades the pixel with its neighbour across the line by `weight`.
    void ramp(PixelAt at, PixelAt across, int weight) {
        PixelQuad p;
        PixelQuad w;
        readSrc_(inst_, across.x, across.y, &p);
        readDst_(inst_, at.x, at.y, &w);
        const PixelQuad q{
            pulledBack(mix(p.r, w.r, weight), w.r),
            pulledBack(mix(p.g, w.g, weight), w.g),
            pulledBack(mix(p.b, w.b, weight), w.b),
            w.a,
        };
        writeDst_(frame_, inst_, at.x, at.y, &q);
    }

    // Averages the step pixel's two neighbours along the line, as the
    // ramps have just left them.
    void step(PixelAt at, PixelAt after, PixelAt before) {
        PixelQuad l;
        PixelQuad r;
        PixelQuad w;
        readDst_(inst_, after.x, after.y, &l);
        readDst_(inst_, before.x, before.y, &r);
        readDst_(inst_, at.x, at.y, &w);
        const PixelQuad q{
            pulledBack(mix(l.r, r.r, engine::kHalfWeight), w.r),
            pulledBack(mix(l.g, r.g, engine::kHalfWeight), w.g),
            pulledBack(mix(l.b, r.b, engine::kHalfWeight), w.b),
            w.a,
        };
        writeDst_(frame_, inst_, at.x, at.y, &q);
    }

private:
    // The strength decides how much of the blended value replaces the
    // working one.
    std::uint8_t pulledBack(std::uint8_t blended, std::uint8_t working) const {
        return mix(blended, working, strength_);
    }

    const FrameAccess *frame_;
    FilterInstance *inst_;
    PixelReader readSrc_;
    PixelReader readDst_;
    PixelWriter writeDst_;
    int strength_;
};

int blendColour(const engine::SpanLayout &layout, const FrameAccess *frame, FilterInstance *inst, int runStart,
                int stepAt, int runEnd, int line) {
    ColourBlend blend(frame, inst);
    engine::walkSpan(layout, runStart, stepAt, runEnd, line, blend);
    return 0;
}

}  // namespace

int smooth1(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendColour(engine::kSpan1, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth2(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendColour(engine::kSpan2, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth3(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendColour(engine::kSpan3, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth4(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendColour(engine::kSpan4, frame, inst, runStart, stepAt, runEnd, line);
}

// Alpha span blending: the alpha of the working image only; colour is
// never written.
#include "engine/span_blend.h"
#include "engine/span_walk.h"

namespace {

using engine::mix;
using engine::PixelAt;

// Blends through the instance's alpha slots, fetched once per call. The
// pixel read from the working image goes back out with only its alpha byte
// replaced.
class AlphaBlend {
public:
    AlphaBlend(const FrameAccess *frame, FilterInstance *inst)
        : frame_(frame), inst_(inst), readSrcA_(inst->readSrcA), readDstA_(inst->readDstA), writeDstA_(inst->writeDstA),
          strength_(engine::strengthWeight(inst->curStrength)) {}

    // Cross-fades the pixel's alpha with its neighbour's across the line.
    void ramp(PixelAt at, PixelAt across, int weight) {
        PixelQuad p;
        PixelQuad w;
        readSrcA_(inst_, across.x, across.y, &p);
        readDstA_(inst_, at.x, at.y, &w);
        w.a = mix(mix(p.a, w.a, weight), w.a, strength_);
        writeDstA_(frame_, inst_, at.x, at.y, &w);
    }

    // Averages the alpha of the step pixel's neighbours along the line, as
    // the ramps have just left them.
    void step(PixelAt at, PixelAt after, PixelAt before) {
        PixelQuad e1;
        PixelQuad e2;
        PixelQuad w;
        readDstA_(inst_, after.x, after.y, &e1);
        readDstA_(inst_, before.x, before.y, &e2);
        readDstA_(inst_, at.x, at.y, &w);
        w.a = mix(mix(e1.a, e2.a, engine::kHalfWeight), w.a, strength_);
        writeDstA_(frame_, inst_, at.x, at.y, &w);
    }

private:
    const FrameAccess *frame_;
    FilterInstance *inst_;
    PixelReader readSrcA_;
    PixelReader readDstA_;
    PixelWriter writeDstA_;
    int strength_;
};

int blendAlpha(const engine::SpanLayout &layout, const FrameAccess *frame, FilterInstance *inst, int runStart,
               int stepAt, int runEnd, int line) {
    AlphaBlend blend(frame, inst);
    engine::walkSpan(layout, runStart, stepAt, runEnd, line, blend);
    return 0;
}

}  // namespace

int smooth1_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendAlpha(engine::kSpan1, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth2_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendAlpha(engine::kSpan2, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth3_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendAlpha(engine::kSpan3, frame, inst, runStart, stepAt, runEnd, line);
}

int smooth4_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line) {
    return blendAlpha(engine::kSpan4, frame, inst, runStart, stepAt, runEnd, line);
}

// The staircase scan with the blend routines as a parameter, so that the
// steps it finds can be observed apart from what the blends make of them.
// `smooth` is this scan with the real routines.
#pragma once

#include "engine/span_blend.h"

// The routine each pass calls for a step: [0] for pass 1 ... [3] for pass 4.
struct BlendRoutines {
    BlendRoutine colour[4];
    BlendRoutine alpha[4];
};

// The routines of the engine: smooth1..smooth4 and smooth1_a..smooth4_a.
extern const BlendRoutines kSpanBlends;

// `smooth` with other blend routines; same arguments and result.
int smoothWith(const FrameAccess *frame, FilterInstance *inst, int full, const BlendRoutines &routines);

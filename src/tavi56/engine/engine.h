// The anti-aliasing engine. It reaches pixels only through the instance's
// accessor slots, so the same code serves frames and the preview.
#pragma once

#include "filter/instance.h"

// Scans the whole frame (`full` nonzero) or the 320x240 preview window at
// (viewX, viewY) and blends every stair step it finds, colour passes first,
// then alpha, as curMode selects. `frame` is only handed on to the writers.
int smooth(const FrameAccess *frame, FilterInstance *inst, int full);

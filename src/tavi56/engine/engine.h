// The anti-aliasing engine. Its literal form reaches pixels only through
// the instance's accessor slots, so the same code serves frames and the
// preview; when the slots hold one of those two bindings, a direct form
// works on the planes and rows behind them and gives the same bytes.
#pragma once

#include "filter/instance.h"

// Scans the whole frame (`full` nonzero) or the 320x240 preview window at
// (viewX, viewY) and blends every stair step it finds, colour passes first,
// then alpha, as curMode selects. `frame` is only handed on to the writers.
int smooth(const FrameAccess *frame, FilterInstance *inst, int full);

// `smooth` through the slots, whatever they hold: the reference that the
// direct form is measured and tested against.
int smoothThroughSlots(const FrameAccess *frame, FilterInstance *inst, int full);

// The per-frame driver the host calls for every rendered frame.
#pragma once

#include "filter/instance.h"

// Captures the frame into the frame planes, runs the engine over it when the
// filter is enabled, writes every pixel to the host's output, and leaves the
// unfiltered frame in the planes for the preview. A frame whose buffers
// cannot be had sets frameFailed and writes nothing.
void TaviProcess(FilterInstance *inst, const FrameAccess *frame);

// TaviProcess with every pixel moved through the accessor slots, the
// engine's included: the reference that the direct route is tested and
// measured against. Same calls to the host, in the same order.
void TaviProcessThroughSlots(FilterInstance *inst, const FrameAccess *frame);

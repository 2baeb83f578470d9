// The span blending routines, one per scan pass: each turns the stair step
// at `stepAt` on `line` into a ramp, writing through the instance's
// destination slots. `frame` is handed unchanged to every writer call (null
// in the preview). Positions run runStart <= stepAt <= runEnd, except in
// pass 2 (smooth2, smooth2_a), where they run the other way; the routines
// rely on that order. Each returns 0.
#pragma once

#include "filter/instance.h"

using BlendRoutine = int (*)(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd,
                             int line);

// Red, green and blue, through readSrc, readDst and writeDst.
int smooth1(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth2(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth3(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth4(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);

// Alpha only, through readSrcA, readDstA and writeDstA.
int smooth1_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth2_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth3_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);
int smooth4_a(const FrameAccess *frame, FilterInstance *inst, int runStart, int stepAt, int runEnd, int line);

// The twelve pixel accessors: B the frame planes, F the host's frame,
// P the preview planes; `_a` twins move alpha only. Exported by name.
#pragma once

#include "filter/instance.h"

extern "C" {
void readB(FilterInstance *inst, int x, int y, PixelQuad *quad);
void readF(FilterInstance *inst, int x, int y, PixelQuad *quad);
void readP(FilterInstance *inst, int x, int y, PixelQuad *quad);
void readB_a(FilterInstance *inst, int x, int y, PixelQuad *quad);
void readF_a(FilterInstance *inst, int x, int y, PixelQuad *quad);
void readP_a(FilterInstance *inst, int x, int y, PixelQuad *quad);

void writeB(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
void writeF(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
void writeP(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
void writeB_a(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
void writeF_a(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
void writeP_a(const FrameAccess *frame, FilterInstance *inst, int x, int y, const PixelQuad *quad);
}

// The two sets the slots are bound to.
void bindFullFrame(FilterInstance *inst);
void bindPreview(FilterInstance *inst);

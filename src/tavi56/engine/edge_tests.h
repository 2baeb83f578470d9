// The difference tests and slope estimates with which the staircase scan
// finds an edge and tells which way it slants. Plain names work on red,
// green and blue; the `_a` twins on alpha. All are pure.
#pragma once

#include "filter/instance.h"

// 1 when any one of red, green, blue differs by more than `limit`, else 0.
// A negative limit makes every pair differ; 255 or more makes none differ.
int cmpdata(const PixelQuad &p, const PixelQuad &q, int limit);
// 1 when the alpha bytes differ by more than `limit`, else 0.
int cmpdata_a(const PixelQuad &p, const PixelQuad &q, int limit);

// Sum of the absolute differences of red, green and blue: 0 to 765.
int kata_s(const PixelQuad &p, const PixelQuad &q);
// Absolute difference of alpha: 0 to 255.
int kata_s_a(const PixelQuad &p, const PixelQuad &q);

// Slope of the edge through (x, y) from its 3x3 neighbourhood, read through
// the instance's readSrc slot: positive for an edge along (+1, +1), negative
// along (+1, -1), 0 for none or a straight one. 0 without reading anything
// when x or y is below 1.
int katamuki(FilterInstance *inst, int x, int y);
// The same on alpha, read through readSrcA.
int katamuki_a(FilterInstance *inst, int x, int y);

// The four directional passes of the staircase scan: which way each walks
// its lines, which pixels it compares, which slopes it wants and how its
// blends lay out a span. Both forms of the scan follow this one table.
#pragma once

#include "engine/span_walk.h"

namespace engine {

struct Offset {
    int dx;
    int dy;
};

// One directional pass. The diagonal pixel is always the next pixel moved
// one line away from the across side.
struct PassGeometry {
    bool linesAreRows;      // lines are rows and positions x; otherwise columns and y
    int lineDirection;      // +1: lines ascend; -1: they descend
    int positionDirection;  // +1: positions ascend; -1: they descend
    Offset across;
    Offset next;
    Offset diagonal;
    bool falling;  // the slope rule: falling wants negative slopes, rising positive
    const SpanLayout *span;

    constexpr PixelAt pixel(int position, int line) const {
        return linesAreRows ? PixelAt{position, line} : PixelAt{line, position};
    }
};

constexpr PixelAt operator+(PixelAt at, Offset o) { return {at.x + o.dx, at.y + o.dy}; }

// Passes 1 and 2 follow edges between a row and the row below it, from
// either end; passes 3 and 4 edges between a column and its neighbour to
// the right (3) or left (4), columns taken from either end.
inline constexpr PassGeometry kPasses[4] = {
    {.linesAreRows = true,
     .lineDirection = +1,
     .positionDirection = +1,
     .across = {0, +1},
     .next = {+1, 0},
     .diagonal = {+1, -1},
     .falling = true,
     .span = &kSpan1},
    {.linesAreRows = true,
     .lineDirection = +1,
     .positionDirection = -1,
     .across = {0, +1},
     .next = {-1, 0},
     .diagonal = {-1, -1},
     .falling = false,
     .span = &kSpan2},
    {.linesAreRows = false,
     .lineDirection = +1,
     .positionDirection = +1,
     .across = {+1, 0},
     .next = {0, +1},
     .diagonal = {-1, +1},
     .falling = true,
     .span = &kSpan3},
    {.linesAreRows = false,
     .lineDirection = -1,
     .positionDirection = +1,
     .across = {-1, 0},
     .next = {0, +1},
     .diagonal = {+1, +1},
     .falling = false,
     .span = &kSpan4},
};

}  // namespace engine

#include "engine/edge_tests.h"

#include <cstdlib>

namespace {

int difference(std::uint8_t p, std::uint8_t q) { return std::abs(int(q) - int(p)); }

using Distance = int (*)(const PixelQuad &, const PixelQuad &);

// The nine pixels around (x, y), read row by row through `read`, and the
// balance of the distances across the two diagonal directions of its four
// 2x2 blocks. Reads beyond the frame are left to the slot's clamp.
int slopeOf(FilterInstance *inst, PixelReader read, Distance distance, int x, int y) {
    if (x < 1 || y < 1) return 0;
    PixelQuad nw, n, ne, w, m, e, sw, s, se;
    read(inst, x - 1, y - 1, &nw);
    read(inst, x, y - 1, &n);
    read(inst, x + 1, y - 1, &ne);
    read(inst, x - 1, y, &w);
    read(inst, x, y, &m);
    read(inst, x + 1, y, &e);
    read(inst, x - 1, y + 1, &sw);
    read(inst, x, y + 1, &s);
    read(inst, x + 1, y + 1, &se);
    // Each block's diagonal of direction (+1, -1) against its diagonal of
    // direction (+1, +1): an edge running along (+1, +1) separates the
    // former's pixels and not the latter's, and so comes out positive.
    const int onFallingDiagonals = distance(n, w) + distance(ne, m) + distance(m, sw) + distance(e, s);
    const int onRisingDiagonals = distance(nw, m) + distance(n, e) + distance(w, s) + distance(m, se);
    return onFallingDiagonals - onRisingDiagonals;
}

}  // namespace

int cmpdata(const PixelQuad &p, const PixelQuad &q, int limit) {
    if (difference(p.r, q.r) > limit) return 1;
    if (difference(p.g, q.g) > limit) return 1;
    if (difference(p.b, q.b) > limit) return 1;
    return 0;
}

int cmpdata_a(const PixelQuad &p, const PixelQuad &q, int limit) { return difference(p.a, q.a) > limit ? 1 : 0; }

int kata_s(const PixelQuad &p, const PixelQuad &q) {
    return difference(p.r, q.r) + difference(p.g, q.g) + difference(p.b, q.b);
}

int kata_s_a(const PixelQuad &p, const PixelQuad &q) { return difference(p.a, q.a); }

int katamuki(FilterInstance *inst, int x, int y) { return slopeOf(inst, inst->readSrc, kata_s, x, y); }

int katamuki_a(FilterInstance *inst, int x, int y) { return slopeOf(inst, inst->readSrcA, kata_s_a, x, y); }

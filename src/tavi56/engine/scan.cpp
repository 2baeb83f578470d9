// The staircase scan: four directional passes over a rectangle, each line
// followed by a small state machine that hands every stair step it finds
// to the pass's blend routine. It reads only the source slots; the blends
// write the working image, so every decision rests on the unblended image.
#include "engine/scan.h"

#include "engine/direct_path.h"
#include "engine/edge_limit.h"
#include "engine/edge_tests.h"
#include "engine/engine.h"
#include "engine/interior.h"
#include "engine/pass_geometry.h"

const BlendRoutines kSpanBlends{
    {smooth1, smooth2, smooth3, smooth4},
    {smooth1_a, smooth2_a, smooth3_a, smooth4_a},
};

namespace {

using engine::edgeLimit;
using engine::Interior;
using engine::kNearlyAlikeLimit;

using engine::kPasses;
using Pass = engine::PassGeometry;
using Point = engine::PixelAt;

// Inclusive bounds walked in one direction.
struct Walk {
    int first;
    int last;
    int step;

    bool covers(int at) const { return step > 0 ? at <= last : at >= last; }
};

Walk walkOf(int low, int high, int direction) { return direction > 0 ? Walk{low, high, +1} : Walk{high, low, -1}; }

// The channels one group of passes works on.
struct ChannelGroup {
    PixelReader read;
    int (*differ)(const PixelQuad &, const PixelQuad &, int);
    int (*slope)(FilterInstance *, int, int);
    const BlendRoutine *blends;
};

struct GroupScan {
    const FrameAccess *frame;
    FilterInstance *inst;
    ChannelGroup group;
    int limit;

    bool differ(const PixelQuad &p, const PixelQuad &q) const { return group.differ(p, q, limit) == 1; }
    bool nearlyAlike(const PixelQuad &p, const PixelQuad &q) const {
        return group.differ(p, q, kNearlyAlikeLimit) == 0;
    }
    int slopeAt(Point at) const { return group.slope(inst, at.x, at.y); }
    PixelQuad read(Point at) const {
        PixelQuad quad;
        group.read(inst, at.x, at.y, &quad);
        return quad;
    }
};

// Whether a step lies at the current position: the slope, taken with the
// pass's sign, at least as strong as at the run's previous position and as
// at the next position, or, failing the latter, the across and next pixels
// nearly alike. The slope at the next position is taken only when needed.
bool slopeRuleHolds(const GroupScan &scan, const Pass &pass, int s, int prevSlope, Point nextAt,
                    const PixelQuad &across, const PixelQuad &next) {
    if (pass.falling) {
        if (!(s < 0 && s <= prevSlope)) return false;
        return s <= scan.slopeAt(nextAt) || scan.nearlyAlike(across, next);
    }
    if (!(s > 0 && s >= prevSlope)) return false;
    return s >= scan.slopeAt(nextAt) || scan.nearlyAlike(across, next);
}

enum class LineState {
    idle,
    inRun,
    stepFound
};

// Follows the edges along one line and blends each step found. After a
// blend the walk resumes just after the step, so a new run can begin
// between the step and the position that closed it.
void scanLine(const GroupScan &scan, const Pass &pass, BlendRoutine blend, int line, Walk positions) {
    LineState state = LineState::idle;
    int runStart = 0;
    int stepAt = 0;
    int prevSlope = 0;

    for (int position = positions.first; positions.covers(position); position += positions.step) {
        const Point at = pass.pixel(position, line);
        const Point nextAt = at + pass.next;
        const PixelQuad current = scan.read(at);
        const PixelQuad across = scan.read(at + pass.across);
        const PixelQuad next = scan.read(nextAt);
        const PixelQuad diagonal = scan.read(at + pass.diagonal);
        const bool lastPosition = position == positions.last;

        const bool edge = scan.differ(current, across);
        if (state == LineState::idle && edge) {
            state = LineState::inRun;
            runStart = position;
            prevSlope = 0;
        }
        if (state == LineState::inRun && !edge) state = LineState::idle;  // dropped unblended

        // An open step closes where the line has stepped over: from the
        // position after the one that accepted it.
        if (state == LineState::stepFound && !scan.differ(current, diagonal)) {
            blend(scan.frame, scan.inst, runStart, stepAt, position, line);
            position = stepAt;
            state = LineState::idle;
        }

        if (state == LineState::inRun) {
            const int s = scan.slopeAt(at);
            if (scan.differ(current, next) && slopeRuleHolds(scan, pass, s, prevSlope, nextAt, across, next)) {
                state = LineState::stepFound;
                stepAt = position;
            }
            prevSlope = s;
            // A run still open at the end of its line steps there.
            if (lastPosition) {
                state = LineState::stepFound;
                stepAt = position;
            }
        }

        if (state == LineState::stepFound && (!scan.differ(next, diagonal) || lastPosition)) {
            blend(scan.frame, scan.inst, runStart, stepAt, position, line);
            position = stepAt;
            state = LineState::idle;
        }
    }
}

// Passes 1 to 4 over the interior, each finishing all its lines before the
// next begins: later passes blend what earlier ones left.
void scanGroup(const GroupScan &scan, const Interior &interior) {
    for (int p = 0; p < 4; ++p) {
        const Pass &pass = kPasses[p];
        const Walk lines = pass.linesAreRows ? walkOf(interior.yFirst, interior.yLast, pass.lineDirection)
                                             : walkOf(interior.xFirst, interior.xLast, pass.lineDirection);
        const Walk positions = pass.linesAreRows ? walkOf(interior.xFirst, interior.xLast, pass.positionDirection)
                                                 : walkOf(interior.yFirst, interior.yLast, pass.positionDirection);
        for (int line = lines.first; lines.covers(line); line += lines.step)
            scanLine(scan, pass, scan.group.blends[p], line, positions);
    }
}

}  // namespace

int smoothWith(const FrameAccess *frame, FilterInstance *inst, int full, const BlendRoutines &routines) {
    const PixelReader readSrc = inst->readSrc;
    const PixelReader readSrcA = inst->readSrcA;
    const int limit = edgeLimit(inst->curThreshold);
    const int mode = inst->curMode;

    const Interior interior = engine::scannedInterior(*inst, full);
    if (interior.empty()) return 0;

    if ((mode & 1) != 0) scanGroup({frame, inst, {readSrc, cmpdata, katamuki, routines.colour}, limit}, interior);
    if ((inst->curMode & 2) != 0)
        scanGroup({frame, inst, {readSrcA, cmpdata_a, katamuki_a, routines.alpha}, limit}, interior);
    return 0;
}

int smoothThroughSlots(const FrameAccess *frame, FilterInstance *inst, int full) {
    return smoothWith(frame, inst, full, kSpanBlends);
}

// The path is chosen once per call: the direct one when the slots hold a
// binding it knows, the slots otherwise.
int smooth(const FrameAccess *frame, FilterInstance *inst, int full) {
    if (smoothDirect(frame, inst, full)) return 0;
    return smoothThroughSlots(frame, inst, full);
}

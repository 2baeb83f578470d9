// One directional pass of the staircase scan on direct stores, a position
// at a time: the state machine of a line, and where each pass finds its
// across, next and diagonal pixels. The stages that walk the lines decide
// which positions to run it on.
#pragma once

#include <climits>
#include <cstdint>

#include "engine/direct_source.h"
#include "engine/edge_limit.h"
#include "engine/pass_geometry.h"

namespace engine::direct {

using engine::kPasses;
using engine::PassGeometry;

enum class WalkState : std::uint8_t {
    idle,
    inRun,
    stepFound
};

// What the scan keeps while it walks one line. The slope at the run's
// previous position is not kept: a run advances one position at a time,
// so it is the slope there, worked out when the step rule asks for it.
struct LineWalk {
    WalkState state = WalkState::idle;
    int runStart = 0;
    int stepAt = 0;
};

// Slopes already worked out, by position. The two row passes weigh the
// slopes of largely the same pixels of a row, one after the other.
class SlopeMemo {
public:
    template <class View>
    int slope(const View &source, int x, int y) {
        Entry &e = entries_[static_cast<unsigned>(x) % kEntries];
        if (e.x != x || e.y != y) e = {x, y, source.slope(x, y)};
        return e.slope;
    }

private:
    static constexpr int kEntries = 1024;
    struct Entry {
        int x = INT_MIN;  // no position is this far out
        int y = INT_MIN;
        int slope = 0;
    };
    Entry entries_[kEntries];
};

// The state machine of one pass, a position at a time. Slopes are worked
// out only where the step rule weighs them: in a run, where the current and
// next pixels differ. They come from `memo` when one is given.
template <int PassNumber, class View, class Blend>
class LineScanner {
    static constexpr PassGeometry kPass = kPasses[PassNumber - 1];
    using Px = Pixel<typename View::Group>;

public:
    LineScanner(const View &source, Blend &blend, int limit, SlopeMemo *memo = nullptr)
        : source_(source), blend_(blend), limit_(limit), memo_(memo) {}

    static constexpr int step() { return kPass.positionDirection; }

    // Runs one position of `line`; returns the position to run next, which
    // lies back at the step after a blend.
    int visit(LineWalk &walk, int position, int line, int last) const {
        const int x = kPass.linesAreRows ? position : line;
        const int y = kPass.linesAreRows ? line : position;
        const Px current = source_.pixel(x, y);
        const Px across = source_.pixel(x + kPass.across.dx, y + kPass.across.dy);
        const Px next = source_.pixel(x + kPass.next.dx, y + kPass.next.dy);
        const Px diagonal = source_.pixel(x + kPass.diagonal.dx, y + kPass.diagonal.dy);
        const bool lastPosition = position == last;

        const bool edge = differ(current, across, limit_);
        if (walk.state == WalkState::idle && edge) {
            walk.state = WalkState::inRun;
            walk.runStart = position;
        }
        if (walk.state == WalkState::inRun && !edge) walk.state = WalkState::idle;

        if (walk.state == WalkState::stepFound && !differ(current, diagonal, limit_)) {
            blend(walk, position, line);
            position = walk.stepAt;
        }

        if (walk.state == WalkState::inRun) {
            if (differ(current, next, limit_) && slopeRuleHolds(walk, position, x, y, across, next)) {
                walk.state = WalkState::stepFound;
                walk.stepAt = position;
            }
            if (lastPosition) {
                walk.state = WalkState::stepFound;
                walk.stepAt = position;
            }
        }

        if (walk.state == WalkState::stepFound && (!differ(next, diagonal, limit_) || lastPosition)) {
            blend(walk, position, line);
            position = walk.stepAt;
        }
        return position + kPass.positionDirection;
    }

private:
    // The slope at (x, y), taken with the pass's sign, at least as strong as
    // at the run's previous position (0 at its first) and as at the next
    // position, or, failing the latter, the across and next pixels nearly
    // alike.
    bool slopeRuleHolds(const LineWalk &walk, int position, int x, int y, const Px &across, const Px &next) const {
        const int sign = kPass.falling ? -1 : +1;
        const int s = sign * slopeAt(x, y);
        if (s <= 0) return false;
        const int prevSlope = position == walk.runStart ? 0 : sign * previousSlope(x, y);
        if (s < prevSlope) return false;
        return s >= sign * slopeAt(x + kPass.next.dx, y + kPass.next.dy) || !differ(across, next, kNearlyAlikeLimit);
    }

    // The slope one position back along the line.
    int previousSlope(int x, int y) const {
        constexpr int back = -kPass.positionDirection;
        return kPass.linesAreRows ? slopeAt(x + back, y) : slopeAt(x, y + back);
    }

    int slopeAt(int x, int y) const { return memo_ != nullptr ? memo_->slope(source_, x, y) : source_.slope(x, y); }

    void blend(LineWalk &walk, int runEnd, int line) const {
        blend_.span(*kPass.span, walk.runStart, walk.stepAt, runEnd, line);
        walk.state = WalkState::idle;
    }

    const View &source_;
    Blend &blend_;
    int limit_;
    SlopeMemo *memo_;
};

}  // namespace engine::direct

// Passes 3 and 4 on direct stores. The columns of a strip are swept
// together, row by row, so that the source is read along its rows; each
// column keeps its own state. A blend on a column changes the working
// image on that column only, so columns may take their turns in any order.
//
// Pass 4 must see every blend of pass 3 on its column, but its scan needs
// only the source, which blends never change. So it scans in the same
// sweep as pass 3, notes its blends and makes them once pass 3 is done with
// the strip. Its edge test at column x is pass 3's at x - 1: the edge words
// are made once for both. When the notes run short, pass 4 leaves the
// shared sweep at the start of a row and, after its noted blends are made,
// sweeps on from there on its own.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "engine/line_scanner.h"
#include "engine/noted_blends.h"
#include "engine/pair_row.h"

namespace engine::direct {

// Columns per strip.
inline constexpr int kSweepWords = 4;
inline constexpr int kSweepColumns = kSweepWords * kWordBits;

// The edge words of a strip, column x comparing (x, y) with (x + dx, y),
// made two rows ahead of the sweep: that brings the rows below into the
// cache before the positions on the sweep's row read them.
template <class View>
class EdgeWordsAhead {
public:
    EdgeWordsAhead(const View &source, int dx, int limit, int x0, int x1, int first, int last)
        : source_(source), dx_(dx), limit_(limit), x0_(x0), x1_(x1), first_(first), last_(last),
          words_((x1 - x0) / kWordBits + 1) {
        for (int k = 0; k < kAhead; ++k) make(first + k);
    }

    int words() const { return words_; }

    // The words of row y; rows are asked for in order from `first`.
    const std::uint64_t *row(int y) {
        make(y + kAhead);
        return rows_[(y - first_) % kRows];
    }

private:
    static constexpr int kAhead = 2;
    static constexpr int kRows = kAhead + 1;

    void make(int y) {
        if (y > last_) return;
        const PairRow<View> pairs(source_, y, y, dx_, limit_, x0_, x1_);
        std::uint64_t *row = rows_[(y - first_) % kRows];
        for (int k = 0; k < words_; ++k) row[k] = pairs.word(k);
    }

    const View &source_;
    int dx_;
    int limit_;
    int x0_;
    int x1_;
    int first_;
    int last_;
    int words_;
    std::uint64_t rows_[kRows][kSweepWords];
};

// The columns of a strip and where each stands in one pass.
struct StripWalks {
    LineWalk walks[kSweepColumns];
    std::uint64_t open[kSweepWords] = {};  // columns not idle

    // Runs row y on the columns of word k that `due` names: each visits the
    // row, and after a blend catches up to it again from the step on.
    template <class Scanner>
    void run(const Scanner &scanner, int k, std::uint64_t due, int x0, int y, int last) {
        while (due != 0) {
            const int bit = std::countr_zero(due);
            due &= due - 1;
            const int column = k * kWordBits + bit;
            LineWalk &walk = walks[column];
            const int line = x0 + column;
            int position = scanner.visit(walk, y, line, last);
            while (position <= y) position = scanner.visit(walk, position, line, last);
            const std::uint64_t mask = std::uint64_t{1} << bit;
            open[k] = walk.state == WalkState::idle ? open[k] & ~mask : open[k] | mask;
        }
    }
};

// One column pass over columns x0..x1, rows first..last, the columns
// standing as `strip` says. A column takes a row when its edge test differs
// there or it is not idle.
template <class Scanner, class View>
void sweepColumns(const Scanner &scanner, const View &source, int acrossDx, int limit, int x0, int x1, int first,
                  int last, StripWalks &strip) {
    EdgeWordsAhead<View> edges(source, acrossDx, limit, x0, x1, first, last);
    for (int y = first; y <= last; ++y) {
        const std::uint64_t *words = edges.row(y);
        for (int k = 0; k < edges.words(); ++k) strip.run(scanner, k, words[k] | strip.open[k], x0, y, last);
    }
}

// Room kept in the notes for the blends of one row: pass 4 stops sharing
// the sweep before a row that might not fit, and finishes on its own.
inline constexpr int kRoomForARow = 128;

// Passes 3 and 4 over the strip x0..x1, rows first..last.
template <class View, class Blend>
void sweepColumnPasses(const View &source, Blend &blend, int limit, int x0, int x1, int first, int last) {
    constexpr PassGeometry kPass3 = kPasses[2];
    constexpr PassGeometry kPass4 = kPasses[3];
    static_assert(kPass4.across.dx == -kPass3.across.dx, "pass 4 looks across to the other side");

    NotedBlends pass4Blends;
    const LineScanner<3, View, Blend> pass3(source, blend, limit);
    const LineScanner<4, View, NotedBlends> noting4(source, pass4Blends, limit);
    EdgeWordsAhead<View> edges(source, kPass3.across.dx, limit, x0, x1, first, last);
    StripWalks walks3;
    StripWalks walks4;
    int pass4From = first;  // the first row pass 4 has not taken
    for (int y = first; y <= last; ++y) {
        const std::uint64_t *words = edges.row(y);
        const bool sharing = pass4From == y && pass4Blends.room() >= kRoomForARow;
        // Pass 4 at the strip's first column compares it with the column
        // before, which pass 3's words do not cover.
        std::uint64_t carry =
            sharing && differ(source.pixel(x0, y), source.pixel(x0 + kPass4.across.dx, y), limit) ? 1 : 0;
        for (int k = 0; k < edges.words(); ++k) {
            walks3.run(pass3, k, words[k] | walks3.open[k], x0, y, last);
            if (!sharing) continue;
            const int lastBit = std::min(kWordBits - 1, x1 - x0 - k * kWordBits);
            const std::uint64_t words4 = ((words[k] << 1) | carry) & spanBits(0, 0, lastBit);
            carry = words[k] >> (kWordBits - 1);
            walks4.run(noting4, k, words4 | walks4.open[k], x0, y, last);
        }
        if (sharing) pass4From = y + 1;
    }

    const LineScanner<4, View, Blend> pass4(source, blend, limit);
    if (pass4Blends.overflowed()) {
        // One row found more blends than there was room for: pass 4 starts
        // over on its own.
        StripWalks fresh;
        sweepColumns(pass4, source, kPass4.across.dx, limit, x0, x1, first, last, fresh);
        return;
    }
    pass4Blends.makeAll(*kPass4.span, blend);
    if (pass4From <= last) sweepColumns(pass4, source, kPass4.across.dx, limit, x0, x1, pass4From, last, walks4);
}

// Columns x0..x1, rows y0..y1 along each, strip by strip.
template <class View, class Blend>
void scanColumnPasses(const View &source, Blend &blend, int limit, int x0, int x1, int y0, int y1) {
    for (int first = x0; first <= x1; first += kSweepColumns) {
        const int last = std::min(first + (kSweepColumns - 1), x1);
        sweepColumnPasses(source, blend, limit, first, last, y0, y1);
    }
}

}  // namespace engine::direct

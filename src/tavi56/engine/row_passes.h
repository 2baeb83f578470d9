// Passes 1 and 2 on direct stores. Both follow the edges between a row and
// the row below it, so each row runs pass 1 and then pass 2 on one set of
// edge words, and the slopes pass 1 weighed are there for pass 2. A blend
// on a row changes the working image on that row only, so taking the rows
// one by one, both passes each, gives what all rows of pass 1 and then all
// rows of pass 2 give.
#pragma once

#include "engine/line_scanner.h"
#include "engine/pair_row.h"

namespace engine::direct {

// A row from `first` to `last` in the pass's direction, jumping from edge
// to edge while idle.
template <class Scanner, class View>
void scanRow(const Scanner &scanner, PairRow<View> &edges, int line, int first, int last) {
    constexpr int kStep = Scanner::step();
    auto within = [&](int position) { return kStep > 0 ? position <= last : position >= last; };
    LineWalk walk;
    int position = first;
    while (within(position)) {
        if (walk.state == WalkState::idle) {
            position = kStep > 0 ? edges.nextFrom(position) : edges.previousFrom(position);
            if (!within(position)) break;
        }
        position = scanner.visit(walk, position, line, last);
    }
}

// Rows y0..y1, positions x0..x1 along each.
template <class View, class Blend>
void scanRowPasses(const View &source, Blend &blend, int limit, int x0, int x1, int y0, int y1) {
    SlopeMemo slopes;
    const LineScanner<1, View, Blend> pass1(source, blend, limit, &slopes);
    const LineScanner<2, View, Blend> pass2(source, blend, limit, &slopes);
    for (int y = y0; y <= y1; ++y) {
        PairRow<View> edges(source, y, y + 1, 0, limit, x0, x1);
        scanRow(pass1, edges, y, x0, x1);
        scanRow(pass2, edges, y, x1, x0);
    }
}

}  // namespace engine::direct

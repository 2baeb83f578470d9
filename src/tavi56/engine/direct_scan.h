// The staircase scan on direct stores. Each position runs the same state
// machine as the scan through the slots (line_scanner.h); what differs is
// how positions are reached. An idle position does nothing unless its
// current and across pixels differ, so idle stretches are jumped over a
// word of edge tests at a time, and the order of lines within a pass,
// which nothing can tell, follows the rows of the source (row_passes.h,
// column_passes.h). Between the row and column passes, and between the
// channel groups, nothing is reordered.
#pragma once

#include "engine/column_passes.h"
#include "engine/direct_blend.h"
#include "engine/direct_source.h"
#include "engine/edge_limit.h"
#include "engine/interior.h"
#include "engine/mix.h"
#include "engine/row_passes.h"
#include "filter/instance.h"

namespace engine::direct {

using engine::Interior;

// Passes 1 to 4 of one channel group.
template <class Group, class Source, class Work>
void scanGroup(const Source &store, Work &work, const Interior &in, int limit, int strength) {
    using View = SourceView<Group, Source>;
    const View source(store);
    DirectBlend<View, Work> blend(source, work, strength);
    scanRowPasses(source, blend, limit, in.xFirst, in.xLast, in.yFirst, in.yLast);
    scanColumnPasses(source, blend, limit, in.xFirst, in.xLast, in.yFirst, in.yLast);
}

// The whole scan: colour group first, then alpha, as the mode selects.
template <class Source, class Work>
void scanDirect(const Source &store, Work &work, const Interior &interior, const FilterInstance &inst) {
    if (interior.empty()) return;
    const int limit = edgeLimit(inst.curThreshold);
    const int strength = strengthWeight(inst.curStrength);
    if ((inst.curMode & 1) != 0) scanGroup<ColourChannels>(store, work, interior, limit, strength);
    if ((inst.curMode & 2) != 0) scanGroup<AlphaChannels>(store, work, interior, limit, strength);
}

}  // namespace engine::direct

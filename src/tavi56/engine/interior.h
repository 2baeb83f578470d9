// The positions the staircase scan visits: the scanned rectangle (the whole
// frame, or the preview window at viewX, viewY) less its border rows and
// columns, which are read as neighbours but never scanned.
#pragma once

#include "filter/instance.h"

namespace engine {

// Bounds inclusive.
struct Interior {
    int xFirst;
    int xLast;
    int yFirst;
    int yLast;

    bool empty() const { return xLast < xFirst || yLast < yFirst; }
};

inline Interior scannedInterior(const FilterInstance &inst, int full) {
    if (full != 0) return Interior{1, inst.width - 2, 1, inst.height - 2};
    return Interior{inst.viewX + 1, inst.viewX + kPreviewWidth - 2, inst.viewY + 1, inst.viewY + kPreviewHeight - 2};
}

}  // namespace engine

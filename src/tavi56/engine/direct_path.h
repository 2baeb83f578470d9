// The engine on the stores behind the two standard bindings, read and
// written directly instead of one slot call per pixel. Same bytes as the
// slots give.
#pragma once

#include "filter/instance.h"

// Runs the whole scan directly when the six slots hold the full-frame
// binding and `full` is nonzero, or the preview binding and `full` is 0,
// and returns true. Returns false, having touched nothing, for any other
// binding or a window too far out to address safely.
bool smoothDirect(const FrameAccess *frame, FilterInstance *inst, int full);

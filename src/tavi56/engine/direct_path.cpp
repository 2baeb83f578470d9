// Which runs the direct path takes: those on the stores it knows, bound the
// way frame processing and the preview bind them.
#include "engine/direct_path.h"

#include "engine/direct_scan.h"
#include "engine/direct_stores.h"
#include "filter/pixel_access.h"

namespace {

using namespace engine::direct;

bool holdsFullFrameBinding(const FilterInstance *inst) {
    return inst->readSrc == readF && inst->readDst == readB && inst->writeDst == writeB && inst->readSrcA == readF_a &&
           inst->readDstA == readB_a && inst->writeDstA == writeB_a;
}

bool holdsPreviewBinding(const FilterInstance *inst) {
    return inst->readSrc == readB && inst->readDst == readP && inst->writeDst == writeP && inst->readSrcA == readB_a &&
           inst->readDstA == readP_a && inst->writeDstA == writeP_a;
}

// The direct path works out coordinates a strip of columns past the
// scanned rectangle, which must not overflow an int. Real frames and
// windows lie far inside these bounds; anything else goes through the slots.
constexpr int kReach = 1 << 28;

bool frameWithinReach(const FilterInstance *inst) { return inst->width < kReach && inst->height < kReach; }

bool windowWithinReach(const FilterInstance *inst) {
    return inst->viewX > -kReach && inst->viewX < kReach && inst->viewY > -kReach && inst->viewY < kReach &&
           inst->width > 0 && inst->height > 0 && frameWithinReach(inst);
}

}  // namespace

bool smoothDirect(const FrameAccess * /*frame*/, FilterInstance *inst, int full) {
    if (full != 0 && holdsFullFrameBinding(inst) && frameWithinReach(inst)) {
        const HostRows source(inst);
        FramePlanesWork work(inst);
        scanDirect(source, work, engine::scannedInterior(*inst, full), *inst);
        return true;
    }
    if (full == 0 && holdsPreviewBinding(inst) && windowWithinReach(inst)) {
        const FramePlanesSource source(inst);
        PreviewPlanesWork work(inst);
        scanDirect(source, work, engine::scannedInterior(*inst, full), *inst);
        return true;
    }
    return false;
}

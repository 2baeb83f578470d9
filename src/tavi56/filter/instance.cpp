#include "filter/instance.h"

#include <cstring>
#include <initializer_list>

#include "filter/buffers.h"

void releasePreviewPlanes(FilterInstance *inst) {
    for (std::uint8_t **plane : {&inst->prevR, &inst->prevG, &inst->prevB, &inst->prevA}) {
        releaseBuffer(*plane);
        *plane = nullptr;
    }
}

void releaseFramePlanes(FilterInstance *inst) {
    for (std::uint8_t **plane : {&inst->bufR, &inst->bufG, &inst->bufB, &inst->bufA}) {
        releaseBuffer(*plane);
        *plane = nullptr;
    }
}

FilterInstance *TaviCreate(void * /*hostData*/) {
    auto *inst = static_cast<FilterInstance *>(obtainBuffer(1, sizeof(FilterInstance)));
    if (inst == nullptr) return nullptr;

    std::strcpy(inst->name, "Tavi");
    inst->target = 2;
    inst->enabled = 1;
    inst->strength = 100;
    inst->threshold = 224;
    inst->curStrength = 100;
    inst->curThreshold = 224;

    // All four requests are made before any failure is handled; a failed
    // group is released whole. The planes start zeroed, so a preview shows
    // black, not stale memory, where no frame was copied into it.
    inst->prevR = static_cast<std::uint8_t *>(obtainBuffer(kPreviewPlaneSize, 1));
    inst->prevG = static_cast<std::uint8_t *>(obtainBuffer(kPreviewPlaneSize, 1));
    inst->prevB = static_cast<std::uint8_t *>(obtainBuffer(kPreviewPlaneSize, 1));
    inst->prevA = static_cast<std::uint8_t *>(obtainBuffer(kPreviewPlaneSize, 1));
    if (!inst->prevR || !inst->prevG || !inst->prevB || !inst->prevA) {
        releasePreviewPlanes(inst);
        inst->previewFailed = 1;
    }
    return inst;
}

void TaviDestroy(FilterInstance *inst) {
    if (inst == nullptr) return;
    releaseFramePlanes(inst);
    releasePreviewPlanes(inst);
    releaseBuffer(inst);
}

int TaviCopy(const FilterInstance *from, FilterInstance *to) {
    // The destination keeps what belongs to its own memory.
    const FilterInstance own = *to;
    *to = *from;
    to->bufR = own.bufR;
    to->bufG = own.bufG;
    to->bufB = own.bufB;
    to->bufA = own.bufA;
    to->prevR = own.prevR;
    to->prevG = own.prevG;
    to->prevB = own.prevB;
    to->prevA = own.prevA;
    to->rowR = own.rowR;
    to->rowG = own.rowG;
    to->rowB = own.rowB;
    to->rowA = own.rowA;
    to->width = own.width;
    to->height = own.height;
    to->haveFrame = own.haveFrame;
    to->frameFailed = own.frameFailed;
    to->previewFailed = own.previewFailed;
    return 0;
}

const char *TaviDescribe(FilterInstance *inst) { return inst->name; }

const void *TaviUseItems(FilterInstance * /*inst*/) { return nullptr; }

void TaviChangeID(FilterInstance * /*inst*/, const void * /*ids*/) {}

unsigned int TaviFlags(FilterInstance * /*inst*/) { return 0; }

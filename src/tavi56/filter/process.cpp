#include "filter/process.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "engine/engine.h"
#include "filter/buffers.h"
#include "filter/pixel_access.h"

namespace {

using Row = const std::uint8_t *;

void releaseRowTables(FilterInstance *inst) {
    for (Row **table : {&inst->rowR, &inst->rowG, &inst->rowB, &inst->rowA}) {
        releaseBuffer(*table);
        *table = nullptr;
    }
}

bool obtainRowTables(FilterInstance *inst, int height) {
    const auto rows = static_cast<std::size_t>(height);
    inst->rowR = static_cast<Row *>(obtainBuffer(rows, sizeof(Row)));
    inst->rowG = static_cast<Row *>(obtainBuffer(rows, sizeof(Row)));
    inst->rowB = static_cast<Row *>(obtainBuffer(rows, sizeof(Row)));
    inst->rowA = static_cast<Row *>(obtainBuffer(rows, sizeof(Row)));
    return inst->rowR && inst->rowG && inst->rowB && inst->rowA;
}

bool obtainFramePlanes(FilterInstance *inst, int width, int height) {
    // The product is formed in size_t: a frame too large for memory fails
    // here instead of wrapping to a short buffer.
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (pixels / static_cast<std::size_t>(width) != static_cast<std::size_t>(height)) return false;
    inst->bufR = static_cast<std::uint8_t *>(obtainBuffer(pixels, 1));
    inst->bufG = static_cast<std::uint8_t *>(obtainBuffer(pixels, 1));
    inst->bufB = static_cast<std::uint8_t *>(obtainBuffer(pixels, 1));
    inst->bufA = static_cast<std::uint8_t *>(obtainBuffer(pixels, 1));
    return inst->bufR && inst->bufG && inst->bufB && inst->bufA;
}

// Fetches row y of the four channels in the order red, green, blue, alpha.
// False when the host has no row to give.
bool fetchRows(const FrameAccess *frame, int y, Row rows[4]) {
    bool complete = true;
    for (int c = 0; c < 4; ++c) {
        rows[c] = frame->getRow(CHANNEL_RED + c, y);
        if (rows[c] == nullptr) complete = false;
    }
    return complete;
}

void copyRow(FilterInstance *inst, int y, const Row rows[4]) {
    const std::size_t width = static_cast<std::size_t>(inst->width);
    const std::size_t at = static_cast<std::size_t>(y) * width;
    std::uint8_t *planes[4] = {inst->bufR, inst->bufG, inst->bufB, inst->bufA};
    for (int c = 0; c < 4; ++c) std::memcpy(planes[c] + at, rows[c], width);
}

void writeBack(FilterInstance *inst, const FrameAccess *frame) {
    PixelQuad quad{};
    for (int y = 0; y < frame->height; ++y) {
        for (int x = 0; x < frame->width; ++x) {
            inst->readDst(inst, x, y, &quad);
            writeF(frame, inst, x, y, &quad);
            inst->readDstA(inst, x, y, &quad);
            writeF_a(frame, inst, x, y, &quad);
        }
    }
}

// The same calls to the host, with the working pixels taken from the frame
// planes themselves (what readB and readB_a would hand over) and made as
// writeF and writeF_a make them: every coordinate here is inside the frame,
// where their clamping changes nothing.
void writeBackFromPlanes(FilterInstance *inst, const FrameAccess *frame) {
    const std::size_t width = static_cast<std::size_t>(frame->width);
    const auto putRGB = frame->putRGB;
    const auto putAlpha = frame->putAlpha;
    for (int y = 0; y < frame->height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        for (int x = 0; x < frame->width; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x);
            const unsigned char rgb[3] = {inst->bufR[i], inst->bufG[i], inst->bufB[i]};
            putRGB(x, y, rgb);
            putAlpha(x, y, inst->bufA[i]);
        }
    }
}

// Direct: the engine and the write-back skip the slots where the binding
// lets them. Slots: every pixel goes through the slots, as the reference.
enum class PixelRoute {
    direct,
    slots
};

// Nothing of this frame is written: the flag says so, and what it obtained
// is released. The previous frame's planes stay when no new ones were made.
void abandonFrame(FilterInstance *inst, bool newPlanes) {
    inst->frameFailed = 1;
    if (newPlanes) releaseFramePlanes(inst);
    releaseRowTables(inst);
}

// Row tables first: when they fail, the previous frame stays for the preview.
bool obtainFrameStores(FilterInstance *inst, int width, int height) {
    if (!obtainRowTables(inst, height)) {
        abandonFrame(inst, false);
        return false;
    }
    releaseFramePlanes(inst);
    if (!obtainFramePlanes(inst, width, height)) {
        abandonFrame(inst, true);
        return false;
    }
    return true;
}

// Fetches every row of the four channels, keeps the references and copies
// the bytes into the frame planes.
bool captureFrame(FilterInstance *inst, const FrameAccess *frame) {
    const int previousWidth = inst->width;
    const int previousHeight = inst->height;
    inst->frameFailed = 0;
    inst->width = frame->width;
    inst->height = frame->height;
    for (int y = 0; y < frame->height; ++y) {
        Row rows[4];
        if (!fetchRows(frame, y, rows)) {
            // A host that cannot deliver its rows gets no output, as with
            // any other frame that could not be captured.
            inst->width = previousWidth;
            inst->height = previousHeight;
            abandonFrame(inst, true);
            return false;
        }
        inst->rowR[y] = rows[0];
        inst->rowG[y] = rows[1];
        inst->rowB[y] = rows[2];
        inst->rowA[y] = rows[3];
        copyRow(inst, y, rows);
    }
    inst->haveFrame = 1;
    return true;
}

void filterAndWriteBack(FilterInstance *inst, const FrameAccess *frame, PixelRoute route) {
    const bool direct = route == PixelRoute::direct;
    if (inst->enabled == 1) {
        if (direct)
            smooth(frame, inst, 1);
        else
            smoothThroughSlots(frame, inst, 1);
    }
    if (direct && inst->readDst == readB && inst->readDstA == readB_a)
        writeBackFromPlanes(inst, frame);
    else
        writeBack(inst, frame);
}

// The rows are the frame's input, untouched by the put calls: capturing
// them again leaves the unfiltered frame for the preview.
void recaptureForPreview(FilterInstance *inst, const FrameAccess *frame) {
    for (int y = 0; y < frame->height; ++y) {
        Row rows[4];
        if (!fetchRows(frame, y, rows)) {
            // The rows of the first capture are still valid; use them.
            rows[0] = inst->rowR[y];
            rows[1] = inst->rowG[y];
            rows[2] = inst->rowB[y];
            rows[3] = inst->rowA[y];
        }
        copyRow(inst, y, rows);
    }
}

void processFrame(FilterInstance *inst, const FrameAccess *frame, PixelRoute route) {
    bindFullFrame(inst);
    inst->curStrength = inst->strength;
    inst->curThreshold = inst->threshold;
    inst->curMode = inst->target + 1;

    // A negative size is no frame at all; an empty one has nothing to
    // capture or write, and the previous frame stays for the preview.
    if (frame->width < 0 || frame->height < 0) {
        inst->frameFailed = 1;
        return;
    }
    if (frame->width == 0 || frame->height == 0) return;

    if (!obtainFrameStores(inst, frame->width, frame->height) || !captureFrame(inst, frame)) return;
    filterAndWriteBack(inst, frame, route);
    recaptureForPreview(inst, frame);
    releaseRowTables(inst);
}

}  // namespace

void TaviProcess(FilterInstance *inst, const FrameAccess *frame) { processFrame(inst, frame, PixelRoute::direct); }

void TaviProcessThroughSlots(FilterInstance *inst, const FrameAccess *frame) {
    processFrame(inst, frame, PixelRoute::slots);
}

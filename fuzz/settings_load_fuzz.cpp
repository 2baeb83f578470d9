// The settings block comes back from the host's scene as it was stored, or
// damaged: loading any 0..200 bytes must stay inside the block and store
// only numbers it found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "filter/instance.h"
#include "filter/settings.h"

namespace {

struct Block {
    const std::uint8_t *data;
    std::size_t size;
};

int readBlock(void *context, char *buffer, int maximum) {
    const auto *block = static_cast<const Block *>(context);
    // A careless host: copies what it has, up to the maximum, no NUL added.
    const std::size_t n = std::min(block->size, static_cast<std::size_t>(maximum));
    std::memcpy(buffer, block->data, n);
    return static_cast<int>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FilterInstance *inst = TaviCreate(nullptr);
    if (inst == nullptr) return 0;
    Block block{data, size};
    const SettingsReader reader{&block, readBlock};
    TaviLoad(inst, &reader);
    // The run values are never touched by a load.
    if (inst->curStrength != 100 || inst->curThreshold != 224 || inst->curMode != 0) std::abort();
    TaviDestroy(inst);
    return 0;
}

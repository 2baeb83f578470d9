#include "host/scene/filter_chain.h"

#include <string>

#include "host/base/shown_text.h"
#include "host/loader/memory_frame.h"

namespace tavi::host {

FilterChain::FilterChain(FilterModule &module, const std::vector<SceneFilter> &filters) {
    for (const SceneFilter &f : filters) {
        if (f.server != module.serverName())
            throw ModuleError(shownPath(module.file()) + ": has no image filter \"" + shownText(f.server) +
                              "\" (it offers \"" + module.serverName() + "\")");
        if (!f.enabled) continue;
        auto filter = std::make_unique<HostedFilter>(module);
        filter->load(f.settings);
        filters_.push_back(std::move(filter));
    }
}

RgbaImage FilterChain::apply(RgbaImage frame) {
    const int width = frame.width;
    const int height = frame.height;
    const long pixels = long(width) * long(height);
    for (auto &filter : filters_) {
        MemoryFrame memory(std::move(frame));
        filter->process(memory);
        if (memory.putRGBCalls() < pixels || memory.putAlphaCalls() < pixels)
            throw FrameError("the filter wrote no output for this " + std::to_string(width) + "x" +
                             std::to_string(height) + " frame (not enough memory?)");
        frame = memory.takeOutput();
    }
    return frame;
}

void FilterChain::applyInPlace(const PixelView &pixels, AlphaForm form) {
    const RgbaImage handed = frameFor(pixels, form);
    applyFiltered(pixels, form, handed, apply(handed));
}

}  // namespace tavi::host

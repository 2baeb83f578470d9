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

namespace {

// Every pixel's writes are counted: an output need not start as a copy.
void checkEveryPixelWritten(const MemoryFrame &memory, const frame::FramePlanes &frame) {
    const long pixels = long(frame.width()) * long(frame.height());
    if (memory.putRGBCalls() < pixels || memory.putAlphaCalls() < pixels)
        throw FrameError("the filter wrote no output for this " + std::to_string(frame.width()) + "x" +
                         std::to_string(frame.height()) + " frame (not enough memory?)");
}

}  // namespace

frame::FramePlanes FilterChain::apply(const frame::FramePlanes &frame) {
    frame::FramePlanes current;
    const frame::FramePlanes *input = &frame;
    for (auto &filter : filters_) {
        MemoryFrame memory(*input, MemoryFrame::OutputStart::unset);
        filter->process(memory);
        checkEveryPixelWritten(memory, frame);
        current = memory.takeOutput();
        input = &current;
    }
    return input == &frame ? frame.copy() : std::move(current);
}

RgbaImage FilterChain::apply(const RgbaImage &frame) { return apply(frame::FramePlanes::of(frame)).interleaved(); }

std::size_t FilterChain::applyInPlace(const frame::PixelView &pixels, frame::AlphaForm form) {
    if (filters_.empty()) return 0;  // no filter: nothing to hand over or put back
    const frame::FramePlanes handed = frame::frameFor(pixels, form);
    if (filters_.size() > 1) return frame::applyFiltered(pixels, form, handed, apply(handed));
    // One filter, the common case: only the pixels it changes are kept.
    MemoryFrame memory(handed, MemoryFrame::OutputStart::changesOnly);
    filters_.front()->process(memory);
    checkEveryPixelWritten(memory, handed);
    return frame::applyChanges(pixels, form, handed, memory.takeChanges());
}

}  // namespace tavi::host

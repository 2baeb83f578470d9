#include "lib/c/filter_pixels.h"

#include <new>
#include <optional>

#include "host/scene/filter_chain.h"
#include "lib/c/linked_module.h"

namespace tavi::lib {

std::size_t filterPixels(const ImageRequest &request) {
    if (request.pixels.width == 0 || request.pixels.height == 0) return 0;
    host::FilterModule &module = linkedModule();
    // A disabled filter is left out of the chain, as the scene's "off" and
    // `tavi process --disable` leave it out: nothing of the image changes.
    std::optional<host::FilterChain> chain;
    try {
        chain.emplace(module,
                      std::vector<host::SceneFilter>{{module.serverName(), request.enabled, request.settings.line()}});
    } catch (const host::ModuleError &e) {
        // The module we linked has the server; it makes no instance only
        // when it cannot have the instance's memory.
        throw FilterOutOfMemory(e.what());
    }
    try {
        return chain->applyInPlace(request.pixels, request.form);
    } catch (const host::FrameError &e) {
        throw FilterOutOfMemory(e.what());
    }
}

FilterOutcome filterReported(const ImageRequest &request) noexcept {
    // Each sentence is built inside the try: without memory for it, the
    // status alone is reported.
    FilterOutcome outcome;
    try {
        try {
            filterPixels(request);
        } catch (const std::bad_alloc &) {
            outcome.status = TAVI_ERROR_OUT_OF_MEMORY;
            outcome.message = "not enough memory for the filter's working copies of the image";
        } catch (const FilterOutOfMemory &e) {
            outcome.status = TAVI_ERROR_OUT_OF_MEMORY;
            outcome.message = e.what();
        } catch (const std::exception &e) {
            outcome.status = TAVI_ERROR_INTERNAL;
            outcome.message = e.what();
        } catch (...) {
            outcome.status = TAVI_ERROR_INTERNAL;
            outcome.message = "the filter failed for an unknown reason";
        }
    } catch (...) {
        if (outcome.status == TAVI_OK) outcome.status = TAVI_ERROR_OUT_OF_MEMORY;
    }
    return outcome;
}

}  // namespace tavi::lib

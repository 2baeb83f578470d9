#include "lib/c/filter_pixels.h"

#include "host/scene/filter_chain.h"
#include "lib/c/linked_module.h"

namespace tavi::lib {

void filterPixels(const ImageRequest &request) {
    if (request.pixels.width == 0 || request.pixels.height == 0) return;
    host::FilterModule &module = linkedModule();
    // A disabled filter is left out of the chain, as the scene's "off" and
    // `tavi process --disable` leave it out: nothing of the image changes.
    host::FilterChain chain(module, {{module.serverName(), request.enabled, request.settings.line()}});
    if (chain.size() == 0) return;
    const host::RgbaImage handed = host::frameFor(request.pixels, request.form);
    const host::RgbaImage filtered = chain.apply(handed);
    host::applyFiltered(request.pixels, request.form, handed, filtered);
}

}  // namespace tavi::lib

// Scene files come from users' disks: the parser must refuse anything
// malformed with a SceneError, never crash or read out of bounds, and what
// it accepts must survive a write and a second read unchanged. A settings
// line the Tavi check accepts must read as three numbers in the panel's
// ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/scene/scene_file.h"
#include "host/scene/tavi_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    tavi::host::Scene scene;
    try {
        scene = tavi::host::parseScene(text, "fuzz.tvs");
    } catch (const tavi::host::SceneError &) {
        return 0;
    }
    std::string written;
    try {
        written = tavi::host::formatScene(scene);
    } catch (const tavi::host::SceneError &) {
        // Accepted but not writable would lose the user's scene on save.
        std::abort();
    }
    if (!(tavi::host::parseScene(written, "again.tvs") == scene)) std::abort();
    using tavi::host::TaviSettings;
    for (const tavi::host::SceneFilter &filter : scene.filters) {
        if (TaviSettings::problemWith(filter.settings)) continue;
        const auto read = TaviSettings::parse(filter.settings);
        if (!read || read->target < 0 || read->target > TaviSettings::kMaxTarget || read->strength < 0 ||
            read->strength > TaviSettings::kMaxStrength || read->threshold < 0 ||
            read->threshold > TaviSettings::kMaxThreshold)
            std::abort();
    }
    return 0;
}

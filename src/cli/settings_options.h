// The filter settings every command takes, and how they reach the filters:
// as settings lines that the host builds and the filter loads.
#pragma once

#include <filesystem>
#include <cstddef>
#include <optional>
#include <string>

#include "host/loader/filter_module.h"
#include "host/scene/scene_file.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct SettingsOptions {
    std::optional<std::string> target;  // rgb, alpha or rgba
    std::optional<int> strength;
    std::optional<int> threshold;
    bool disable = false;
    std::filesystem::path scene;

    void addTo(CLI::App &command);
    // Whether a setting of the filter itself was given (not --disable).
    bool changesSettings() const { return target || strength || threshold; }
};

// The scene a command runs, and what it was read from.
struct SceneInUse {
    host::Scene scene;                 // the filters to run, the options applied
    host::Scene read;                  // as the scene file holds them; empty without --scene
    std::string text;                  // the scene file's bytes; empty without --scene
    std::size_t changedByOptions = 0;  // filters the command-line settings went to
};

// The image filters to run: those of the scene file (or one with the
// module's own defaults when there is none). The settings given on the
// command line apply to the module's filters that are on; a filter marked
// off keeps its line as the file holds it. Every line an option touched is
// passed through the filter's load and save, so it is what the filter
// itself would store. Throws UsageError for a scene file that is missing
// or cannot be used, ModuleError for the module.
SceneInUse resolveFilters(host::FilterModule &module, const SettingsOptions &options);

// The text --save-scene writes: the scene file's own text with the lines of
// the filters that changed replaced and everything else kept, as the
// panel's OK saves; or, without a scene file, a new scene.
std::string sceneToSave(const SceneInUse &inUse, const std::string &name);

}  // namespace tavi::cli

// The filter settings every command takes, and how they reach the filters:
// as settings lines that the host builds and the filter loads.
#pragma once

#include <filesystem>
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
};

// The image filters to run: those of the scene file (or one with the
// module's own defaults when there is none), with the options given on the
// command line applied. Every settings line is passed through the filter's
// load and save, so it is what the filter itself would store. Throws
// SceneError or ModuleError.
host::Scene resolveFilters(host::FilterModule &module, const SettingsOptions &options);

}  // namespace tavi::cli

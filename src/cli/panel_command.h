// tavi panel: open the filter's settings panel on a frame and play a
// scripted session on it, as a user would at the renderer.
#pragma once

#include <filesystem>

#include "settings_options.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct PanelOptions {
    std::filesystem::path input;
    SettingsOptions settings;
    std::filesystem::path script;
    std::filesystem::path canvas;
    std::filesystem::path screenshot;
};

void addPanelCommand(CLI::App &app, PanelOptions &options);

// Returns the exit status. Script errors are usage errors.
int runPanel(const std::filesystem::path &modulePath, const PanelOptions &options);

}  // namespace tavi::cli

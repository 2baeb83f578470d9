// tavi panel: open the filter's settings panel on a frame, in a window or
// with a scripted session played on it, as a user would at the renderer.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/frame_options.h"
#include "cli/settings_options.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct PanelOptions {
    std::filesystem::path input;
    SettingsOptions settings;
    FrameOptions frame;
    std::filesystem::path script;  // empty: the panel opens in a window
    std::filesystem::path events;  // testing aid: synthetic input for the window
    std::filesystem::path canvas;
    std::filesystem::path screenshot;
    // The process's own arguments, handed on to the window program.
    std::vector<std::string> commandLine;
};

void addPanelCommand(CLI::App &app, PanelOptions &options);

// Returns the exit status. Script errors are usage errors; no display for
// the window is a failure (status 1).
int runPanel(const std::filesystem::path &modulePath, const PanelOptions &options);

}  // namespace tavi::cli

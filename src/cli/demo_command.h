// tavi demo: the filter on the built-in sample render, measured against a
// supersampled ground truth.
#pragma once

#include <filesystem>

#include "cli/settings_options.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct DemoOptions {
    std::filesystem::path folder = "tavi-demo";
    int width = 640;
    int height = 360;
    SettingsOptions settings;
};

void addDemoCommand(CLI::App &app, DemoOptions &options);

// Returns the exit status.
int runDemo(const std::filesystem::path &modulePath, const DemoOptions &options);

}  // namespace tavi::cli

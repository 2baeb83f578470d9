// tavi process: anti-alias image files through the loaded module.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/encoding_options.h"
#include "cli/frame_options.h"
#include "cli/settings_options.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct ProcessOptions {
    std::vector<std::filesystem::path> inputs;  // as given: files, or frame patterns
    std::optional<std::string> frames;          // --frames, for the patterns
    std::string output;
    SettingsOptions settings;
    FrameOptions frame;
    EncodingOptions encoding;
    std::filesystem::path saveScene;
    unsigned jobs = 0;                 // 0: one per core
    std::optional<std::string> chunk;  // "I/N": slice I of N, as given
    bool quiet = false;
    bool verbose = false;
    double logSeconds = 10;  // plain progress lines off a terminal; 0: none
    bool dryRun = false;
};

void addProcessCommand(CLI::App &app, ProcessOptions &options);

// Returns the exit status. Throws UsageError for impossible requests.
int runProcess(const std::filesystem::path &modulePath, const ProcessOptions &options);

}  // namespace tavi::cli

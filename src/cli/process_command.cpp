#include "cli/process_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/scene/filter_chain.h"
#include "host/imaging/stored_image.h"
#include "cli/output_plan.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// Reads, filters and writes one frame. Returns "" or the error, which names
// the file.
std::string processFrame(host::FilterChain &chain, const FrameTask &task, const FrameOptions &frame,
                         ProgressBar &progress, bool quiet) {
    host::IoResult<host::LoadedStored> loaded = host::readStored(task.input, frame.layer);
    if (!loaded) return loaded.error();
    if (!quiet)
        for (const std::string &notice : loaded->notices) progress.message(stderr, "tavi: " + notice);

    const host::StoredImage &image = loaded->image;
    try {
        chain.applyInPlace(image.pixels(), frame.formFor(image));
    } catch (const std::exception &e) {
        return task.input.string() + ": " + e.what();
    }

    host::IoResult<std::vector<std::string>> written = host::writeStored(task.output, image);
    if (!written) return written.error();
    if (!quiet)
        for (const std::string &notice : written.value()) progress.message(stderr, "tavi: " + notice);
    return "";
}

}  // namespace

void addProcessCommand(CLI::App &app, ProcessOptions &options) {
    CLI::App *cmd = app.add_subcommand(
        "process",
        "Anti-alias image files. The filter is handed colour premultiplied by alpha, 8 bits per channel, as a "
        "renderer's frame holds it; 16-bit, half and float files keep their depth and range, pixels it leaves "
        "alone keep their stored values, and channels and parts beyond the filtered RGBA are written back "
        "unchanged");
    cmd->add_option("inputs", options.inputs, "Input image files (PNG, TIFF, TGA, JPEG, OpenEXR, ...)")
        ->required();
    cmd->add_option("-o,--output", options.output,
                    "Output file; for several inputs an output folder or a frame pattern such as "
                    "shot.####.png or shot.%04d.png (the number comes from the input's name)")
        ->required();
    options.settings.addTo(*cmd);
    options.frame.addTo(*cmd);
    cmd->add_option("--save-scene", options.saveScene, "Write the settings used to this scene file");
    cmd->add_option("-j,--jobs", options.jobs, "Frames processed at once (default: one per core)")
        ->check(CLI::Range(1u, 256u));
    cmd->add_flag("-q,--quiet", options.quiet, "Print errors only");
}

int runProcess(const fs::path &modulePath, const ProcessOptions &options) {
    const std::vector<FrameTask> tasks = planOutputs(options.inputs, options.output);

    host::FilterModule module(modulePath);
    const host::Scene scene = resolveFilters(module, options.settings);
    if (!options.saveScene.empty()) host::writeScene(options.saveScene, scene);

    // A folder named with a trailing slash is made when missing.
    if (!options.output.empty() && options.output.back() == '/') {
        std::error_code ec;
        fs::create_directories(options.output, ec);
        if (ec) {
            std::fprintf(stderr, "tavi: %s: cannot create the folder (%s)\n", options.output.c_str(),
                         ec.message().c_str());
            return kExitFailed;
        }
    }

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs = unsigned(std::min<std::size_t>(options.jobs ? options.jobs : cores, tasks.size()));
    // Each worker has its own instances; the module is shared.
    std::vector<std::unique_ptr<host::FilterChain>> chains;
    for (unsigned i = 0; i < jobs; ++i) chains.push_back(std::make_unique<host::FilterChain>(module, scene.filters));

    ProgressBar progress(stderr, tasks.size(), tasks.size() > 1 && !options.quiet);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> failed{0};
    const auto start = std::chrono::steady_clock::now();
    auto work = [&](host::FilterChain &chain) {
        for (std::size_t i = next++; i < tasks.size(); i = next++) {
            const std::string error = processFrame(chain, tasks[i], options.frame, progress, options.quiet);
            if (!error.empty()) {
                ++failed;
                progress.message(stderr, "tavi: " + error);
            }
            progress.advance();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (unsigned i = 1; i < jobs; ++i) workers.emplace_back(work, std::ref(*chains[i]));
        work(*chains[0]);
    }
    progress.finish();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t done = tasks.size() - failed;
    if (!options.quiet) {
        std::printf("%zu frame%s in %.2f s (%.2f frames/s)", done, done == 1 ? "" : "s", seconds,
                    seconds > 0 ? double(done) / seconds : 0.0);
        if (failed) std::printf(", %zu failed", failed.load());
        std::printf("\n");
    }
    return failed ? kExitFailed : kExitOk;
}

}  // namespace tavi::cli

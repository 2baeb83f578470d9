#include "cli/process_command.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <thread>

#include "host/base/atomic_file.h"
#include "host/base/live_temporaries.h"
#include "host/base/process_limits.h"
#include "host/base/shown_text.h"
#include "host/base/temporary_names.h"
#include "host/scene/filter_chain.h"
#include "host/files/input_checks.h"
#include "host/files/filter_file.h"
#include "cli/decimal_option.h"
#include "cli/dry_run.h"
#include "cli/frame_checks.h"
#include "cli/frame_chunk.h"
#include "cli/frame_range.h"
#include "cli/frame_workers.h"
#include "cli/interrupt_guard.h"
#include "cli/job_count.h"
#include "cli/memory_gate.h"
#include "cli/output_checks.h"
#include "cli/output_plan.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// Lines more often than this would flood a log for nothing.
constexpr double kLeastLogSeconds = 0.1;

// A message line, with control characters in the file names it holds shown
// escaped (messages from the image library name files as given).
void say(ProgressBar &progress, const std::string &message) {
    progress.message(stderr, "tavi: " + host::shownText(message, host::kShownWhole));
}

// Reads, filters and writes one frame. Returns "" or the error, which names
// the file. The worker's `chain` is made anew by `freshChain` after the
// frame: its filters keep planes of the frame they did, memory that the
// next frame, on this worker or another, is counted to need afresh.
std::string processFrame(std::unique_ptr<host::FilterChain> &chain, const FrameTask &task,
                         const ProcessOptions &options, ProgressBar &progress, MemoryGate &memory,
                         const std::function<std::unique_ptr<host::FilterChain>()> &freshChain) {
    try {
        // The write goes to a temporary renamed into place, which a file's
        // own permissions would not stop: they are heeded first, as cp
        // heeds them, before any work on the frame.
        if (const std::optional<std::string> refused = host::replacementRefused(task.output))
            return host::shownPath(task.output) + ": cannot write (" + *refused + "); it is left as it was";
        const auto filter = [&](const host::frame::PixelView &pixels, host::frame::AlphaForm form) {
            return chain->applyInPlace(pixels, form);
        };
        const auto notice = [&](const std::string &line) {
            if (!options.quiet) say(progress, line);
        };
        host::files::ReadRequest request = options.frame.request();
        request.filters = chain->size();
        // A header that cannot be read fails the frame when it is read.
        const host::files::IoResult<std::uint64_t> needed = host::files::frameMemory(task.input, request);
        const MemoryGate::Pass pass(memory, needed ? needed.value() : 0);
        const auto start = std::chrono::steady_clock::now();
        const host::files::IoResult<host::files::FilteredFile> done =
            host::files::filterFile(task.input, task.output, request, filter, notice, options.encoding.encoding());
        try {
            chain = freshChain();
        } catch (const std::exception &) {
            // The chain goes on as it was; the frame's result stands.
        }
        if (!done) return done.error();
        if (options.verbose) {
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            char figures[96];
            std::snprintf(figures, sizeof figures, ": %d x %d, %.2f s, %zu pixel%s changed", done->width, done->height,
                          seconds, done->changedPixels, done->changedPixels == 1 ? "" : "s");
            progress.message(stdout, host::shownPath(task.input) + " -> " + host::shownPath(task.output) + figures);
        }
        return "";
    } catch (const std::exception &e) {
        return host::shownPath(task.input) + ": " + e.what();
    }
}

// The filters a frame goes through: those of the scene that are on.
std::size_t filtersOn(const host::Scene &scene) {
    return std::size_t(std::count_if(scene.filters.begin(), scene.filters.end(),
                                     [](const host::SceneFilter &f) { return f.enabled; }));
}

// Temporary files that runs killed outright left in the folders this run
// writes to (those of the files its outputs' links lead to included); a
// notice says how many went, and one more how many it left because another
// machine, boot or container made them.
void removeLeftovers(const std::vector<FrameTask> &tasks, const fs::path &scene, ProgressBar &progress, bool quiet) {
    std::set<std::string> folders;
    const auto addFolderOf = [&](const fs::path &output) {
        folders.insert(output.parent_path().string());
        if (std::optional<fs::path> file = host::writtenFile(output)) folders.insert(file->parent_path().string());
    };
    for (const FrameTask &t : tasks) addFolderOf(t.output);
    if (!scene.empty()) addFolderOf(scene);
    std::size_t foreign = 0;
    std::vector<std::string> foreignFolders;
    for (const std::string &folder : folders) {
        const std::string shown = folder.empty() ? std::string(".") : host::shownPath(folder);
        const host::LeftoverSweep sweep = host::sweepLeftoverTemporaries(folder);
        if (sweep.removed && !quiet)
            say(progress, "removed " + std::to_string(sweep.removed) + " temporary file" +
                              (sweep.removed == 1 ? "" : "s") + " that an interrupted run left in " + shown);
        if (sweep.foreign) {
            foreign += sweep.foreign;
            foreignFolders.push_back(shown);
        }
    }
    if (foreign && !quiet) {
        std::string where = foreignFolders.front();
        if (foreignFolders.size() > 1) where += " and " + std::to_string(foreignFolders.size() - 1) + " more folders";
        say(progress, "left " + std::to_string(foreign) + " temporary file" + (foreign == 1 ? "" : "s") + " in " +
                          where + " that a run on another machine, in another container or before a restart " +
                          "made: it may still be writing, and only a run there can tell");
    }
}

}  // namespace

void addProcessCommand(CLI::App &app, ProcessOptions &options) {
    CLI::App *cmd = app.add_subcommand(
        "process",
        "Anti-alias image files. The filter is handed colour premultiplied by alpha, 8 bits per channel, as a "
        "renderer's frame holds it; 16-bit, half and float files keep their depth and range, pixels it leaves "
        "alone keep their stored values, and channels and parts beyond the filtered RGBA are written back "
        "unchanged");
    cmd->add_option("inputs", options.inputs,
                    "Input image files (PNG, TIFF, TGA, JPEG, OpenEXR, ...), or a frame pattern (shot.####.png, "
                    "shot.%04d.png) with --frames, or oiiotool's shot.1-100#.png (each # four digits, each @ one)")
        ->required();
    cmd->add_option("--frames", options.frames,
                    "The frames of the inputs' frame patterns: numbers, ranges and ranges with a step, such as "
                    "1001-1050,1060,1100-1200x10; a missing frame stops the run before any work")
        ->type_name("LIST");
    cmd->add_option("-o,--output", options.output,
                    "Output file, folder (a name ending in / or a folder that is there) or frame pattern: a run of # "
                    "or a %d (shot.####.png, shot.%04d.png) in the file name, for one input as for many, filled "
                    "with the frame number in each input's name (its last run of digits, any length; the width is "
                    "the least), %% for a literal %; a # or % in a folder's name is as written. Missing folders are "
                    "made")
        ->required()
        ->type_name("OUT");
    options.settings.addTo(*cmd);
    options.frame.addTo(*cmd);
    options.encoding.addTo(*cmd);
    cmd->add_option("--save-scene", options.saveScene,
                    "Write the settings used to this scene file; with --scene, the scene file's text with only the "
                    "lines of the filters that changed replaced, comments and other lines kept (give the --scene "
                    "file itself to save in place)");
    cmd->add_option("--chunk", options.chunk,
                    "Process only slice I of N (1 <= I <= N) of the inputs taken in frame-number order (then by "
                    "name), which every task finds from the names alone, for task I of an N-task farm array job, e.g. "
                    "--chunk $SLURM_ARRAY_TASK_ID/$SLURM_ARRAY_TASK_COUNT; the N slices together hold every "
                    "input once, with sizes within one of each other, and a slice may be empty")
        ->type_name("I/N");
    cmd->add_option("-j,--jobs", options.jobs,
                    "Frames processed at once (default: one per CPU this process may use, its affinity mask and "
                    "cgroup CPU quota counted, and no more than the memory available holds)")
        ->transform(decimalInRange(1, 256));
    cmd->add_flag("-q,--quiet", options.quiet, "Print errors only (not with -v)");
    cmd->add_flag("-v,--verbose", options.verbose,
                  "Print a line for each frame: input, output, size, time and the pixels the filter changed (not "
                  "with -q)");
    cmd->add_option("--log-interval", options.logSeconds,
                    "Seconds between plain progress lines where the output is not a terminal, as in a farm "
                    "manager's log: 0.1 to 86400 (default 10), or 0 for none")
        ->check(zeroOrSeconds(kLeastLogSeconds, 86400))
        ->type_name("SECONDS");
    cmd->add_flag("-n,--dry-run", options.dryRun,
                  "Print each input, its output and why a frame would fail (as far as its file's header tells), "
                  "and write nothing");
}

namespace {

// The frames of this run, and what is checked of them before any work.
struct ProcessPlan {
    std::vector<fs::path> inputs;  // every input, this task's or not
    std::vector<FrameTask> tasks;  // this task's frames
    std::optional<FrameChunk> chunk;
    std::string chunkSummary;
    std::vector<fs::path> folders;  // to be made
};

ProcessPlan planProcess(const ProcessOptions &options) {
    // Which of the two was meant cannot be told.
    if (options.quiet && options.verbose)
        throw UsageError("-q (print errors only) and -v (a line for each frame) ask for opposite things; give one");
    ProcessPlan plan;
    if (options.chunk) plan.chunk = parseChunk(*options.chunk);
    std::vector<OptionOutput> others;
    if (!options.saveScene.empty()) others.push_back({"--save-scene", options.saveScene});
    // Planned over all the inputs, not just this task's: every task of an
    // array job then refuses the same collisions, before any of them writes.
    plan.inputs = expandInputs(options.inputs, options.frames);
    plan.tasks = planOutputs(plan.inputs, options.output, others);
    if (plan.chunk) {
        const std::vector<std::size_t> mine = chunkInputs(plan.inputs, *plan.chunk);
        plan.chunkSummary = describeChunk(*plan.chunk, plan.inputs, mine);
        std::vector<FrameTask> slice;
        for (std::size_t position : mine) slice.push_back(plan.tasks[position]);
        plan.tasks = std::move(slice);
    }
    std::vector<fs::path> otherFiles;
    for (const OptionOutput &other : others) otherFiles.push_back(other.path);
    // A folder named with a trailing slash is made even for a task with no
    // frames, as a sign that the run was there.
    if (!options.output.empty() && options.output.back() == '/') otherFiles.push_back(fs::path(options.output) / "");
    plan.folders = checkOutputsWritable(plan.tasks, otherFiles, options.encoding.encoding());
    checkFramesFit(plan.tasks, options.frame.request(), options.encoding.encoding());
    return plan;
}

int printDryRun(const ProcessPlan &plan, const ProcessOptions &options, const host::Scene &scene) {
    for (const fs::path &folder : plan.folders) std::printf("makes the folder %s\n", host::shownPath(folder).c_str());
    if (!options.saveScene.empty()) std::printf("settings -> %s\n", host::shownPath(options.saveScene).c_str());
    return printPlan(plan.tasks, filtersOn(scene), plan.chunkSummary);
}

// The filters' instances, one chain for each worker, made one at a time:
// the module is not asked for two instances at once.
class WorkerChains {
public:
    WorkerChains(host::FilterModule &module, const std::vector<host::SceneFilter> &filters, unsigned jobs)
        : module_(module), filters_(filters) {
        for (unsigned i = 0; i < jobs; ++i) chains_.push_back(fresh());
    }
    std::unique_ptr<host::FilterChain> &of(unsigned worker) { return chains_[worker]; }
    std::unique_ptr<host::FilterChain> fresh() {
        const std::lock_guard<std::mutex> held(making_);
        return std::make_unique<host::FilterChain>(module_, filters_);
    }

private:
    host::FilterModule &module_;
    const std::vector<host::SceneFilter> &filters_;
    std::vector<std::unique_ptr<host::FilterChain>> chains_;
    std::mutex making_;
};

// Filters every frame with as many workers as fit; returns how many failed.
std::size_t runWorkers(const ProcessPlan &plan, const ProcessOptions &options, host::FilterModule &module,
                       const host::Scene &scene, ProgressBar &progress) {
    const JobCount count = chooseJobs(options.jobs, plan.tasks, filtersOn(scene));
    if (!count.notice.empty() && !options.quiet) say(progress, count.notice);
    const std::size_t frames = plan.tasks.size();
    if (options.verbose)
        progress.message(stdout, std::to_string(frames) + " frame" + (frames == 1 ? "" : "s") + ", " +
                                     std::to_string(count.jobs) + " at once");
    WorkerChains chains(module, scene.filters, count.jobs);
    MemoryGate memory(host::availableMemory);
    const std::function<std::unique_ptr<host::FilterChain>()> freshChain = [&] { return chains.fresh(); };
    const std::size_t failed = runFrames(
        plan.tasks, count.jobs,
        [&](unsigned worker, std::size_t i) {
            return processFrame(chains.of(worker), plan.tasks[i], options, progress, memory, freshChain);
        },
        [&](std::size_t, const std::string &error) {
            if (!error.empty()) say(progress, error);
            progress.advance();
        });
    progress.finish();
    return failed;
}

void printSummary(const ProcessPlan &plan, std::size_t failed, double seconds) {
    const std::size_t done = plan.tasks.size() - failed;
    if (plan.chunk) std::printf("%s; ", plan.chunkSummary.c_str());
    std::printf("%zu frame%s in %.2f s (%.2f frames/s)", done, done == 1 ? "" : "s", seconds,
                seconds > 0 ? double(done) / seconds : 0.0);
    if (failed) std::printf(", %zu failed", failed);
    std::printf("\n");
}

}  // namespace

int runProcess(const fs::path &modulePath, const ProcessOptions &options) {
    const ProcessPlan plan = planProcess(options);
    host::FilterModule module(modulePath);
    const SceneInUse inUse = resolveFilters(module, options.settings);
    const host::Scene &scene = inUse.scene;
    // Made before any frame is written, so that a scene that cannot be
    // stored stops the run while nothing is changed.
    std::string sceneText;
    if (!options.saveScene.empty()) sceneText = sceneToSave(inUse, host::shownPath(options.settings.scene));
    if (options.dryRun) return printDryRun(plan, options, scene);
    makeFolders(plan.folders);

    ProgressBar progress(stderr, plan.tasks.size(), plan.tasks.size() > 1 && !options.quiet,
                         options.quiet ? 0.0 : options.logSeconds);
    removeLeftovers(plan.tasks, options.saveScene, progress, options.quiet);
    if (!options.quiet && options.settings.changesSettings() && inUse.changedByOptions == 0)
        say(progress, "the settings given apply to no filter: every \"" + module.serverName() + "\" filter of " +
                          host::shownPath(options.settings.scene) + " is off");

    // From here on SIGINT and SIGTERM remove the files being written and
    // say how many frames were put in place: those placed after the scene.
    std::atomic<long long> placedBeforeFrames{-1};
    const std::size_t frames = plan.tasks.size();
    InterruptGuard guard([&](int signal, std::size_t placed) {
        const long long before = placedBeforeFrames;
        const std::size_t done = before < 0 ? 0 : placed - std::size_t(before);
        progress.message(stderr, std::string("tavi: ") + (signal == SIGINT ? "interrupted" : "terminated") + "; " +
                                     std::to_string(done) + " of " + std::to_string(frames) + " frame" +
                                     (frames == 1 ? "" : "s") + " done");
    });
    if (!options.saveScene.empty()) host::writeSceneText(options.saveScene, sceneText);
    placedBeforeFrames = static_cast<long long>(host::live_temporaries::placed());

    // More tasks than frames leaves some tasks nothing; that is no failure.
    if (plan.tasks.empty()) {
        if (!options.quiet)
            std::printf("%s of %zu input%s, nothing to do\n", plan.chunkSummary.c_str(), plan.inputs.size(),
                        plan.inputs.size() == 1 ? "" : "s");
        return kExitOk;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::size_t failed = runWorkers(plan, options, module, scene, progress);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!options.quiet) printSummary(plan, failed, seconds);
    return failed ? kExitFailed : kExitOk;
}

}  // namespace tavi::cli

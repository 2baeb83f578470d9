#include "cli/demo_command.h"

#include <CLI/CLI.hpp>

#include <sys/stat.h>

#include <chrono>
#include <iterator>
#include <string>
#include <cstdio>
#include <vector>

#include "host/pictures/comparison.h"
#include "host/scene/filter_chain.h"
#include "host/files/image_io.h"
#include "host/pictures/image_metrics.h"
#include "host/pictures/sample_scene.h"
#include "cli/decimal_option.h"
#include "cli/output_checks.h"
#include "cli/path_claims.h"
#include "cli/usage_error.h"
#include "host/base/file_kind.h"
#include "host/base/shown_text.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

constexpr const char *kPictures[] = {"input.png", "output.png", "ground-truth.png", "comparison.png"};

void save(const fs::path &file, const host::RgbaImage &image) {
    auto written = host::files::writeImage(file, image);
    if (!written) throw std::runtime_error(written.error());
}

void printReport(const char *name, const host::pictures::PsnrReport &r) {
    std::printf("  %-22s %10s overall  %10s on %zu edge pixels\n", name,
                host::pictures::formatDecibels(r.overall).c_str(), host::pictures::formatDecibels(r.edges).c_str(),
                r.edgePixelCount);
}

}  // namespace

void addDemoCommand(CLI::App &app, DemoOptions &options) {
    CLI::App *cmd = app.add_subcommand(
        "demo", "Anti-alias the built-in sample render and compare it with a supersampled ground truth");
    cmd->add_option("-o,--output", options.folder, "Folder for the pictures, made when missing (default tavi-demo)")
        ->type_name("FOLDER");
    cmd->add_option("--width", options.width, "Width of the sample render (default 640)")
        ->transform(decimalInRange(16, 8192));
    cmd->add_option("--height", options.height, "Height of the sample render (default 360)")
        ->transform(decimalInRange(16, 8192));
    options.settings.addTo(*cmd);
}

int runDemo(const fs::path &modulePath, const DemoOptions &options) {
    // Looked at before the render, which takes a while at a large size.
    struct stat st {};
    if (::stat(options.folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        throw UsageError(host::shownPath(options.folder) + " is " + host::fileKindName(st.st_mode) +
                         ", not a folder: demo writes its " + std::to_string(std::size(kPictures)) +
                         " pictures into a folder (-o FOLDER)");
    const bool makesFolder = folderToMake(options.folder, options.folder / kPictures[0]);
    PathClaims claims;
    for (const char *name : kPictures) claims.addOptionOutput(options.folder / name, "demo");

    host::FilterModule module(modulePath);
    const host::Scene scene = resolveFilters(module, options.settings).scene;
    host::FilterChain chain(module, scene.filters);
    if (makesFolder) makeFolders({options.folder});

    std::printf("Rendering the sample at %dx%d (1 sample per pixel, and %d for the ground truth)...\n", options.width,
                options.height,
                host::pictures::kGroundTruthSamplesPerAxis * host::pictures::kGroundTruthSamplesPerAxis);
    const host::pictures::SampleRenders sample = host::pictures::renderSample(options.width, options.height);

    const auto start = std::chrono::steady_clock::now();
    // The sample is drawn with straight colour, as a PNG file holds it.
    host::RgbaImage output = sample.aliased;
    chain.applyInPlace(host::frame::pixelsOf(output), host::frame::AlphaForm::straight);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("Filtered with \"%s\" %s in %.1f ms.\n", module.serverName().c_str(),
                scene.filters.empty() ? "" : scene.filters[0].settings.c_str(), ms);

    save(options.folder / kPictures[0], sample.aliased);
    save(options.folder / kPictures[1], output);
    save(options.folder / kPictures[2], sample.groundTruth);
    const std::vector<host::pictures::ComparisonPanel> panels = {
        {"INPUT", &sample.aliased}, {"TAVI", &output}, {"GROUND TRUTH", &sample.groundTruth}};
    save(options.folder / kPictures[3], host::pictures::makeComparison(panels));

    std::printf("Error against the ground truth (higher is better):\n");
    printReport("before (1 sample/pixel)", host::pictures::measureAgainst(sample.aliased, sample.groundTruth));
    printReport("after Tavi", host::pictures::measureAgainst(output, sample.groundTruth));
    std::printf("Wrote input.png, output.png, ground-truth.png and comparison.png to %s\n",
                options.folder.string().c_str());
    return kExitOk;
}

}  // namespace tavi::cli

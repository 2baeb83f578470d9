#include "cli/settings_options.h"

#include <CLI/CLI.hpp>

#include "cli/decimal_option.h"
#include "cli/usage_error.h"
#include "host/base/shown_text.h"
#include "host/loader/hosted_filter.h"
#include "host/scene/scene_edit.h"
#include "host/scene/tavi_settings.h"

namespace tavi::cli {

namespace {

const std::map<std::string, int> kTargets = {
    {"rgb", host::TaviSettings::RgbOnly},
    {"alpha", host::TaviSettings::AlphaOnly},
    {"rgba", host::TaviSettings::Rgba},
};

// The line as the filter stores it after loading `line`.
std::string throughFilter(host::FilterModule &module, const std::string &line) {
    host::HostedFilter filter(module);
    filter.load(line);
    return filter.save().line();
}

// `filter`'s settings line as the filter reads it, with the settings given
// on the command line on top (not --disable, which is the caller's).
void applySettings(host::FilterModule &module, const SettingsOptions &options, host::SceneFilter &filter) {
    // The stored line as the filter reads it, then the options on top.
    const std::string stored = throughFilter(module, filter.settings);
    host::TaviSettings settings = host::TaviSettings::parse(stored).value_or(host::TaviSettings{});
    if (options.target) settings.target = kTargets.at(*options.target);
    if (options.strength) settings.strength = *options.strength;
    if (options.threshold) settings.threshold = *options.threshold;
    filter.settings = throughFilter(module, settings.line());
}

// The scene file's text and filters into `inUse`. Throws SceneError.
void readSceneFile(host::FilterModule &module, const std::filesystem::path &file, SceneInUse &inUse) {
    // Parsed from the very bytes that a saved scene is made from.
    inUse.text = host::readSceneText(file);
    // The filter itself would take any numbers, or none, without a word;
    // a scene's line must be what its panel can set.
    inUse.read = host::parseScene(inUse.text, host::shownPath(file),
                                  [&](const host::SceneFilter &f) -> std::optional<std::string> {
                                      if (f.server != module.serverName()) return std::nullopt;
                                      return host::TaviSettings::problemWith(f.settings);
                                  });
    inUse.scene = inUse.read;
    bool found = false;
    for (const host::SceneFilter &f : inUse.scene.filters) found = found || f.server == module.serverName();
    if (!found)
        throw host::SceneError(host::shownPath(file) + ": holds no \"" + module.serverName() + "\" image filter");
}

}  // namespace

void SettingsOptions::addTo(CLI::App &command) {
    command.add_option("--target", target, "Channels to anti-alias: rgb, alpha or rgba (default rgba)")
        ->check(oneOf({"rgb", "alpha", "rgba"}));
    command.add_option("--strength", strength, "How far blended pixels move toward the ramp, 0 to 100 % (default 100)")
        ->transform(decimalInRange(0, host::TaviSettings::kMaxStrength));
    command
        .add_option("--threshold", threshold,
                    "Edge threshold 0 to 256 (default 224): a channel difference above 256 - threshold is an edge")
        ->transform(decimalInRange(0, host::TaviSettings::kMaxThreshold));
    command.add_flag("--disable", disable, "Run with the filter switched off: frames pass through unchanged");
    command.add_option("--scene", scene,
                       "Take the filters and their settings from this scene file (at most " +
                           std::to_string(host::kMaxSceneFilters) +
                           " filters); --target, --strength and --threshold apply to its \"Tavi\" filters "
                           "that are on, a filter marked off keeps its settings");
}

SceneInUse resolveFilters(host::FilterModule &module, const SettingsOptions &options) {
    SceneInUse inUse;
    host::Scene &scene = inUse.scene;
    if (!options.scene.empty()) {
        try {
            readSceneFile(module, options.scene, inUse);
        } catch (const host::SceneError &e) {
            // A scene file named for the settings that is missing or cannot
            // be used is the command line's fault, found before any work, as
            // a value out of range is.
            throw UsageError(e.what());
        }
    } else {
        scene.filters.push_back({module.serverName(), true, throughFilter(module, "")});
    }

    for (host::SceneFilter &f : scene.filters) {
        if (f.server != module.serverName() || !f.enabled) continue;
        applySettings(module, options, f);
        ++inUse.changedByOptions;
        if (options.disable) f.enabled = false;
    }
    return inUse;
}

std::string sceneToSave(const SceneInUse &inUse, const std::string &name) {
    if (inUse.read.filters.empty()) return host::formatScene(inUse.scene);
    std::vector<std::pair<std::size_t, host::SceneFilter>> changed;
    for (std::size_t i = 0; i < inUse.scene.filters.size(); ++i)
        if (inUse.scene.filters[i] != inUse.read.filters[i]) changed.emplace_back(i, inUse.scene.filters[i]);
    return host::replaceFilterEntries(inUse.text, name, changed);
}

}  // namespace tavi::cli

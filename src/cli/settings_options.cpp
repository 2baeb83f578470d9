#include "cli/settings_options.h"

#include <CLI/CLI.hpp>

#include "cli/decimal_option.h"
#include "host/loader/hosted_filter.h"
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

}  // namespace

void SettingsOptions::addTo(CLI::App &command) {
    command.add_option("--target", target, "Channels to anti-alias: rgb, alpha or rgba (default rgba)")
        ->check(CLI::IsMember({"rgb", "alpha", "rgba"}));
    command.add_option("--strength", strength, "How far blended pixels move toward the ramp, 0 to 100 % (default 100)")
        ->transform(decimalInRange(0, host::TaviSettings::kMaxStrength));
    command.add_option("--threshold", threshold,
                       "Edge threshold 0 to 256 (default 224): a channel difference above 256 - threshold is an edge")
        ->transform(decimalInRange(0, host::TaviSettings::kMaxThreshold));
    command.add_flag("--disable", disable, "Run with the filter switched off: frames pass through unchanged");
    command.add_option("--scene", scene, "Take the settings from this scene file; options given here override it");
}

host::Scene resolveFilters(host::FilterModule &module, const SettingsOptions &options) {
    host::Scene scene;
    if (!options.scene.empty()) {
        // The filter itself would take any numbers, or none, without a word;
        // a scene's line must be what its panel can set.
        scene = host::readScene(options.scene, [&](const host::SceneFilter &f) -> std::optional<std::string> {
            if (f.server != module.serverName()) return std::nullopt;
            return host::TaviSettings::problemWith(f.settings);
        });
        bool found = false;
        for (const host::SceneFilter &f : scene.filters) found = found || f.server == module.serverName();
        if (!found)
            throw host::SceneError(options.scene.string() + ": holds no \"" + module.serverName() + "\" image filter");
    } else {
        scene.filters.push_back({module.serverName(), true, throughFilter(module, "")});
    }

    for (host::SceneFilter &f : scene.filters) {
        if (f.server != module.serverName()) continue;
        // The stored line as the filter reads it, then the options on top.
        const std::string stored = throughFilter(module, f.settings);
        host::TaviSettings settings = host::TaviSettings::parse(stored).value_or(host::TaviSettings{});
        if (options.target) settings.target = kTargets.at(*options.target);
        if (options.strength) settings.strength = *options.strength;
        if (options.threshold) settings.threshold = *options.threshold;
        f.settings = throughFilter(module, settings.line());
        if (options.disable) f.enabled = false;
    }
    return scene;
}

}  // namespace tavi::cli

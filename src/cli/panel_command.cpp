#include "cli/panel_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "host/base/shown_text.h"
#include "host/loader/filter_module.h"
#include "host/loader/hosted_filter.h"
#include "host/files/image_io.h"
#include "host/files/stored_image.h"
#include "host/loader/memory_frame.h"
#include "host/panel/panel_script.h"
#include "host/panel/panel_services.h"
#include "host/scene/scene_edit.h"
#include "cli/panel_window_user.h"
#include "cli/frame_range.h"
#include "cli/path_claims.h"
#include "cli/usage_error.h"

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// The files the session reads may not be among those it writes, nor may
// two of those be one file.
void checkPaths(const PanelOptions &options) {
    PathClaims claims;
    claims.addInput(options.input);
    if (!options.script.empty()) claims.addInput(options.script);
    if (!options.events.empty()) claims.addInput(options.events);
    if (!options.settings.scene.empty()) claims.addOptionOutput(options.settings.scene, "--scene");
    if (!options.canvas.empty()) claims.addOptionOutput(options.canvas, "--canvas");
    if (!options.screenshot.empty()) claims.addOptionOutput(options.screenshot, "--screenshot");
}

// The Enabled check box's value at the end of the session, if it has one.
std::optional<bool> enabledAtClose(const host::SessionRecord &session) {
    for (const host::ControlState &c : session.controls)
        if (c.label == "Enabled") return c.value[0] != 0;
    return std::nullopt;
}

}  // namespace

void addPanelCommand(CLI::App &app, PanelOptions &options) {
    const bool window = panelWindowBuiltIn();
    CLI::App *cmd =
        app.add_subcommand("panel", window ? "Open the settings panel on a frame, in a window or as a scripted session"
                                           : "Open the settings panel on a frame and play a scripted session");
    cmd->add_option("input", options.input, "The frame the panel's preview works on")->required();
    options.settings.addTo(*cmd);
    options.frame.addTo(*cmd);
    CLI::Option *script =
        cmd->add_option("--script", options.script,
                        std::string(window ? "Play this session instead of opening a window: " : "The session: ") +
                            "one event per line (set LABEL VALUE, click Draw, drag X Y [start], ok, cancel)");
    if (window) {
        // Synthetic mouse and keyboard input for the window, for tests; see
        // src/gui/synthetic_input.h. Kept out of --help.
        cmd->add_option("--events", options.events)->group("");
        cmd->footer(
            "Without --script the panel opens in a window: OK saves to --scene, closing the window "
            "cancels. With no display to open it on, tavi says so and exits with status 1.");
    } else {
        script->required();
    }
    cmd->add_option("--canvas", options.canvas, "Write the 320x240 preview canvas as it was at the end (PNG)");
    cmd->add_option("--screenshot", options.screenshot, "Write the whole panel as it was at the end (PNG)");
}

namespace {

// Who plays the panel: a script's player, or a person at the window.
struct PanelUser {
    std::optional<host::ScriptPlayer> player;
    std::optional<PanelWindowUser> window;

    int play(host::HostPanel &panel) { return player ? player->play(panel) : window->play(panel); }
    // The session's failure, once the panel has closed.
    void checkSession() const {
        if (player && !player->errorText().empty()) throw UsageError(player->errorText());
        if (window && !window->errorText().empty()) throw std::runtime_error(window->errorText());
    }
};

// A script that cannot be read or parsed, or no display for the window,
// stops everything before any work.
void takeUser(const PanelOptions &options, PanelUser &user) {
    if (options.script.empty()) {
        user.window.emplace(options.events, options.commandLine);
        return;
    }
    if (!options.events.empty()) throw UsageError("--events plays input into the window, which --script does not open");
    host::PanelScript script = host::PanelScript::load(options.script);
    if (!script.valid()) throw UsageError(describeError(script.source(), *script.error()));
    user.player.emplace(std::move(script));
}

host::files::LoadedStored readFrame(const PanelOptions &options) {
    host::files::IoResult<host::files::LoadedStored> loaded =
        host::files::readStored(options.input, options.frame.request());
    if (!loaded) throw std::runtime_error(loaded.error());
    for (const std::string &notice : loaded->notices)
        std::fprintf(stderr, "tavi: %s\n", host::shownText(notice, host::kShownWhole).c_str());
    return std::move(loaded.value());
}

// Saves what the panel confirmed into the scene, and writes the pictures
// asked for.
void keepSession(const PanelOptions &options, const host::SessionRecord &session, host::SceneFilter &entry,
                 std::size_t entryIndex, const std::string &line) {
    if (session.result == 1 && !options.settings.scene.empty()) {
        entry.settings = line;
        if (std::optional<bool> enabled = enabledAtClose(session)) entry.enabled = *enabled;
        host::saveFilterEntry(options.settings.scene, entryIndex, entry);
        std::printf("Saved the settings to %s\n", host::shownPath(options.settings.scene).c_str());
    }
    if (!options.canvas.empty()) host::files::writePicture(options.canvas, session.canvas);
    if (!options.screenshot.empty()) host::files::writePicture(options.screenshot, session.panel);
}

}  // namespace

int runPanel(const fs::path &modulePath, const PanelOptions &options) {
    std::error_code error;
    if (!fs::exists(options.input, error)) refuseMissingInputs({options.input});
    checkPaths(options);
    PanelUser user;
    takeUser(options, user);
    const host::files::LoadedStored loaded = readFrame(options);

    host::FilterModule module(modulePath);
    host::Scene scene = resolveFilters(module, options.settings).scene;
    std::size_t entryIndex = 0;
    while (scene.filters[entryIndex].server != module.serverName()) ++entryIndex;
    host::SceneFilter &entry = scene.filters[entryIndex];

    host::PanelHost panels;
    const host::ProvidedGlobal provided = panels.provideAsGlobal();
    host::HostedFilter filter(module);
    filter.load(entry.settings);
    // The instance keeps this frame for the preview.
    host::MemoryFrame frame(host::frame::frameFor(loaded.image.pixels(), loaded.image.form()));
    filter.process(frame);

    const bool disable = !entry.enabled;
    panels.setSessionDriver([&](host::HostPanel &panel) {
        // A filter that is off in the scene or on the command line starts
        // with its Enabled box cleared, as the user would have left it.
        if (disable)
            if (host::HostControl *enabled = panel.findControl("Enabled")) panel.userSet(*enabled, 0);
        return user.play(panel);
    });
    if (module.editSettings(filter.instance()) != 0)
        throw std::runtime_error(module.file().string() + ": the settings panel could not open");
    user.checkSession();

    const std::optional<host::SessionRecord> &session = panels.lastSession();
    const std::string line = filter.save().line();
    std::printf("%s; settings now %s\n", session && session->result == 1 ? "OK" : "Cancelled", line.c_str());
    if (session) keepSession(options, *session, entry, entryIndex, line);
    return kExitOk;
}

}  // namespace tavi::cli

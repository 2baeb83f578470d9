// `tavi panel` without a script, in the window program: the panel in a
// window on the display.
#include "cli/panel_window_user.h"

#include <exception>
#include <optional>

#include "gui/display.h"
#include "gui/panel_window.h"
#include "gui/synthetic_input.h"
#include "cli/usage_error.h"

namespace tavi::cli {

bool panelWindowBuiltIn() { return true; }

// The display comes up first, and goes last.
struct PanelWindowUser::Window {
    explicit Window(std::optional<gui::SyntheticInput> input) : window(std::move(input)) {}
    gui::Display display;
    gui::PanelWindow window;
};

namespace {

std::optional<gui::SyntheticInput> loadEvents(const std::filesystem::path &events) {
    if (events.empty()) return std::nullopt;
    try {
        return gui::SyntheticInput::load(events);
    } catch (const gui::BadSyntheticInput &e) {
        throw UsageError(e.what());
    }
}

}  // namespace

PanelWindowUser::PanelWindowUser(const std::filesystem::path &events, const std::vector<std::string> &) {
    std::optional<gui::SyntheticInput> input = loadEvents(events);
    try {
        window_ = std::make_unique<Window>(std::move(input));
    } catch (const gui::NoDisplay &e) {
        throw std::runtime_error(std::string(e.what()) + "; play a session with --script FILE instead");
    }
}

PanelWindowUser::~PanelWindowUser() = default;

int PanelWindowUser::play(host::HostPanel &panel) {
    try {
        return window_->window.run(panel);
    } catch (const std::exception &e) {
        error_ = e.what();
    } catch (...) {
        error_ = "the panel window failed";
    }
    return 0;
}

}  // namespace tavi::cli

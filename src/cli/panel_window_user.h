// The user of `tavi panel` without a script: a person at the panel window.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/panel/host_panel.h"

namespace tavi::cli {

// Whether this tavi was built with the panel window.
bool panelWindowBuiltIn();

class PanelWindowUser {
public:
    // Makes sure there is a display to show the window on, before any work
    // is done: throws std::runtime_error saying why not (exit status 1), or
    // UsageError when `events` cannot be read or is not a valid events file
    // (a testing aid: synthetic input; empty for a real user).
    explicit PanelWindowUser(const std::filesystem::path &events);
    ~PanelWindowUser();
    PanelWindowUser(const PanelWindowUser &) = delete;
    PanelWindowUser &operator=(const PanelWindowUser &) = delete;

    // For PanelHost's session driver: shows the panel until it is closed
    // and answers 1 for OK, 0 for Cancel. Throws nothing, since it runs
    // inside the module's call; a failure cancels the panel and is kept in
    // errorText.
    int play(host::HostPanel &panel);
    const std::string &errorText() const { return error_; }

private:
    struct Window;
    std::unique_ptr<Window> window_;
    std::string error_;
};

}  // namespace tavi::cli

// The user of `tavi panel` without a script: a person at the panel window.
//
// The window is a program of its own, tavi-panel-window, so that a tavi
// run that opens no window maps none of its libraries (SDL2, OpenGL, X11,
// Wayland, sound). In the tavi command, making a PanelWindowUser hands the
// whole command line over to that program, before any work is done; the
// program itself shows the window.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/panel/host_panel.h"

namespace tavi::cli {

// Whether this tavi was built with the panel window.
bool panelWindowBuiltIn();

class PanelWindowUser {
public:
    // In the tavi command: runs the window program with `commandLine` (this
    // process's arguments) in this process's place, or throws
    // std::runtime_error saying why it cannot (exit status 1). In the
    // window program: makes sure there is a display to show the window on,
    // before any work is done: throws std::runtime_error saying why not
    // (exit status 1), or UsageError when `events` cannot be read or is not
    // a valid events file (a testing aid: synthetic input; empty for a real
    // user).
    PanelWindowUser(const std::filesystem::path &events, const std::vector<std::string> &commandLine);
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

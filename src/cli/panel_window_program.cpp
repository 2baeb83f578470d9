// `tavi panel` without a script, in the tavi command: the window is a
// program of its own, which takes over this process with the same command
// line, so that the command maps the window's libraries only when a window
// is opened.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "cli/module_path.h"
#include "cli/panel_window_user.h"
#include "host/base/shown_text.h"

namespace tavi::cli {

bool panelWindowBuiltIn() { return true; }

struct PanelWindowUser::Window {};

PanelWindowUser::PanelWindowUser(const std::filesystem::path &, const std::vector<std::string> &commandLine) {
    const std::filesystem::path program = findWindowProgram();
    std::vector<char *> arguments;
    arguments.push_back(const_cast<char *>(program.c_str()));
    for (std::size_t i = 1; i < commandLine.size(); ++i)
        arguments.push_back(const_cast<char *>(commandLine[i].c_str()));
    arguments.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(program.c_str(), arguments.data());
    throw std::runtime_error(host::shownPath(program) + ": cannot start the panel's window (" + std::strerror(errno) +
                             ")");
}

PanelWindowUser::~PanelWindowUser() = default;

int PanelWindowUser::play(host::HostPanel &) { return 0; }

}  // namespace tavi::cli

#include "cli/module_path.h"

#include <string>
#include <system_error>
#include <utility>
#include <variant>

#ifndef TAVI_MODULE_DIR_FROM_COMMAND
#error "TAVI_MODULE_DIR_FROM_COMMAND: the installed module's folder relative to the command's (set by CMake)"
#endif

namespace fs = std::filesystem;

namespace tavi::cli {

namespace {

// `name` beside this program, or in the module's installed folder; or the
// two places, for the message.
std::variant<fs::path, std::pair<fs::path, fs::path>> besideOrInstalled(const char *name) {
    std::error_code ec;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path beside = here / name;
    const fs::path installed = (here / TAVI_MODULE_DIR_FROM_COMMAND / name).lexically_normal();
    for (const fs::path &candidate : {beside, installed})
        if (fs::is_regular_file(candidate, ec)) return candidate;
    return std::pair(beside, installed);
}

std::string neither(const std::pair<fs::path, fs::path> &places) {
    return "neither " + places.first.string() + " (beside the command) nor " + places.second.string() +
           " (where it is installed) is a file";
}

}  // namespace

fs::path findModule(const fs::path &given) {
    if (!given.empty()) return given;
    const auto found = besideOrInstalled("tavi56.p");
    if (const fs::path *module = std::get_if<fs::path>(&found)) return *module;
    throw ModuleNotFound("no filter module: " + neither(std::get<1>(found)) + "; name one with --module FILE");
}

fs::path findWindowProgram() {
    const auto found = besideOrInstalled("tavi-panel-window");
    if (const fs::path *program = std::get_if<fs::path>(&found)) return *program;
    throw std::runtime_error("the panel's window program is missing: " + neither(std::get<1>(found)) +
                             "; play a session with --script FILE instead");
}

}  // namespace tavi::cli

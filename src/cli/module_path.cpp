#include "cli/module_path.h"

#include <system_error>

#ifndef TAVI_MODULE_DIR_FROM_COMMAND
#error "TAVI_MODULE_DIR_FROM_COMMAND: the installed module's folder relative to the command's (set by CMake)"
#endif

namespace fs = std::filesystem;

namespace tavi::cli {

fs::path findModule(const fs::path &given) {
    if (!given.empty()) return given;
    std::error_code ec;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path beside = here / "tavi56.p";
    const fs::path installed = (here / TAVI_MODULE_DIR_FROM_COMMAND / "tavi56.p").lexically_normal();
    for (const fs::path &candidate : {beside, installed})
        if (fs::is_regular_file(candidate, ec)) return candidate;
    throw ModuleNotFound("no filter module: neither " + beside.string() + " (beside the command) nor " +
                         installed.string() + " (where it is installed) is a file; name one with --module FILE");
}

}  // namespace tavi::cli

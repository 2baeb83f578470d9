#include "cli/module_path.h"

namespace fs = std::filesystem;

namespace tavi::cli {

fs::path findModule(const fs::path &given) {
    if (!given.empty()) return given;
    std::error_code ec;
    const fs::path here = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path &candidate : {here / "tavi56.p", here / ".." / "lib" / "tavi" / "tavi56.p"})
        if (fs::exists(candidate, ec)) return candidate;
    // Not found: the loader's message will name the first place looked at.
    return here / "tavi56.p";
}

}  // namespace tavi::cli

#pragma once

#include <filesystem>
#include <stdexcept>

namespace tavi::cli {

// No module where the command looks; what() names the places.
class ModuleNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the filter module is: the file given, else tavi56.p beside this
// program (as in a build tree), else where `cmake --install` puts it,
// reached from this program's own folder so that any install prefix works.
// Throws ModuleNotFound.
std::filesystem::path findModule(const std::filesystem::path &given);

// The panel's window program, tavi-panel-window, found as the module is:
// beside this program, else where `cmake --install` puts it. Throws
// std::runtime_error naming both places.
std::filesystem::path findWindowProgram();

}  // namespace tavi::cli

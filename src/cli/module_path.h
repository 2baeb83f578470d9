#pragma once

#include <filesystem>

namespace tavi::cli {

// Where the filter module is: the file given, else tavi56.p beside this
// program, else ../lib/tavi/tavi56.p from it (an installed layout).
std::filesystem::path findModule(const std::filesystem::path &given);

}  // namespace tavi::cli

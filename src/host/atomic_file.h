// Writing a file so that readers see either the old file or the whole new
// one: write a temporary file beside it, then rename it into place.
#pragma once

#include <filesystem>
#include <string_view>

namespace tavi::host {

// A unique temporary path in the folder of `target`, for a file that will be
// renamed onto `target`.
std::filesystem::path temporaryPathFor(const std::filesystem::path &target);

// Replaces `target` with `bytes`. On failure the temporary file is removed,
// `target` is untouched, and std::runtime_error names the file and the reason.
void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes);

}  // namespace tavi::host

// What a JPEG file's markers say that its decoder does not pass on: whether
// the file is whole (a truncated file is decoded with its missing rows
// grey, with only a warning) and the quality it was written at.
#pragma once

#include <filesystem>
#include <optional>

namespace tavi::host::files {

// False when the file ends before its end-of-image marker.
bool jpegIsWhole(const std::filesystem::path &file);

// The quality (1 to 100) the file's luminance quantisation table was made
// for by the IJG scaling every common encoder uses; nothing when the table
// is no such scaling or the file has none.
std::optional<int> jpegQuality(const std::filesystem::path &file);

}  // namespace tavi::host::files

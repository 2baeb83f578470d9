// Whether a JPEG file is whole. Its decoder fills in the rows a truncated
// file lacks, grey, and only warns, which OpenImageIO does not pass on; a
// whole file's markers run to its end-of-image marker.
#pragma once

#include <filesystem>

namespace tavi::host {

// False when the file ends before its end-of-image marker.
bool jpegIsWhole(const std::filesystem::path &file);

}  // namespace tavi::host

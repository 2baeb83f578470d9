// One image file through a filter, the way `tavi process` takes a frame:
// read as stored (in the form the output's format asks for), the treated
// RGBA filtered in place, written back with the one careful write. The
// command and the Python module's antialias_file share it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/files/stored_image.h"

namespace tavi::host::files {

// Filters the stored pixels in place; returns how many pixels changed.
// Whatever it throws reaches filterFile's caller, but std::bad_alloc,
// which becomes the frame's "not enough memory" failure.
using FilterStoredPixels = std::function<std::size_t(const frame::PixelView &pixels, frame::AlphaForm form)>;

// Hears each notice (one line, naming the file) as it comes.
using NoticeSink = std::function<void(const std::string &notice)>;

// What came of a file: its size and how many of its pixels changed.
struct FilteredFile {
    int width = 0;
    int height = 0;
    std::size_t changedPixels = 0;
};

// Reads `input`, filters it and writes `output` (which may be `input`),
// encoded as `encoding` asks. `request` says how to read it; its output is
// set from `output`'s name. Failures name the file and the problem.
IoResult<FilteredFile> filterFile(const std::filesystem::path &input, const std::filesystem::path &output,
                                  ReadRequest request, const FilterStoredPixels &filter, const NoticeSink &notice,
                                  const Encoding &encoding = {});

}  // namespace tavi::host::files

// What image formats hold, as far as writing a filtered file goes: how they
// label alpha, which sample types their writers take, which compressions
// lose data.
#pragma once

#include <string>
#include <string_view>

#include "host/files/oiio_files.h"

namespace tavi::host::files {

// How a format stores colour with alpha.
enum class AlphaLabels {
    associatedOnly,  // premultiplied, always (OpenEXR)
    either,          // labelled one way or the other (TIFF)
    straightOnly,    // straight; its writer divides premultiplied colour (PNG, Targa)
};
AlphaLabels alphaLabelsOf(std::string_view format);

// The type to ask `format`'s writer for, for samples stored as `stored`,
// when the file is converted to that format: the stored type where the
// format has it, else the one nearest that holds its values (a PNG file
// gets 16 bits for anything deeper than 8).
OIIO::TypeDesc typeToWrite(std::string_view format, OIIO::TypeDesc stored);

// Whether every value of `from` comes back from `to` unchanged.
bool holdsEveryValue(OIIO::TypeDesc to, OIIO::TypeDesc from);

// "8-bit integer", "half float", ... for notices.
std::string typeWords(OIIO::TypeDesc type);

// Whether a file compressed with `compression` ("dwaa:45", "jpeg", ...)
// differs from the pixels it was given; `floats` says whether some
// channel is 32-bit float (PXR24 keeps only 24 of its bits).
bool isLossy(std::string_view format, std::string_view compression, bool floats);

// The lossless compression a lossy one gives way to.
std::string losslessFor(std::string_view format);

}  // namespace tavi::host::files

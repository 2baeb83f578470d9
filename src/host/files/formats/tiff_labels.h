// TIFF colour models beyond RGB and grey, which OpenImageIO reads as plain
// samples but writes only as RGB: CMYK inks (read as they are, not
// converted) and CIELAB. Their files are written as plain samples and
// relabelled afterwards with libtiff.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/files/oiio.h"

namespace tavi::host::files {

namespace detail {
struct StoredLevel;
}

// Whether a TIFF subimage holds CMYK inks.
bool holdsInks(const files::OIIO::ImageSpec &spec);

// Whether a TIFF subimage holds colour OpenImageIO converts to RGB on
// reading unless asked not to: CMYK, CIELAB and its kin.
bool holdsOtherColourModel(const files::OIIO::ImageSpec &spec);

// CIELAB stores a* and b* as signed numbers, which OpenImageIO reads as
// unsigned: -1 comes in as 255 and would blend with +1 to mid-grey. Read,
// their sign bit is flipped, making them offsets from the middle that
// blend like any colour; flipped again, they are as stored. The same call
// does both.
void flipLabSigns(detail::StoredLevel &level);

// The description to hand OpenImageIO's TIFF writer for a subimage read
// with `spec`: inks and Lab as plain samples, without the label the writer
// would convert them by.
files::OIIO::ImageSpec plainSamplesSpec(files::OIIO::ImageSpec spec);

// Whether a subimage stores CIELAB, whose signs flipLabSigns turns.
bool storesSignedLab(const files::OIIO::ImageSpec &spec);

// Whether a subimage needs its label put back after writing.
bool needsRelabelling(const files::OIIO::ImageSpec &spec);

// Puts back, in the TIFF file `written`, the colour models of the
// subimages it was written from (`sources`, in directory order). Returns
// the problem.
std::optional<std::string> relabelTiff(const std::filesystem::path &written,
                                       const std::vector<files::OIIO::ImageSpec> &sources);

}  // namespace tavi::host::files

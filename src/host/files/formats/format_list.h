// The rules of every format with rules of its own, each made in its own
// file of this folder.
#pragma once

#include <memory>
#include <vector>

#include "host/files/formats/format_rules.h"

namespace tavi::host::files {

std::unique_ptr<FormatRules> pngRules();
std::unique_ptr<FormatRules> jpegRules();
std::unique_ptr<FormatRules> targaRules();
std::unique_ptr<FormatRules> tiffRules();
std::unique_ptr<FormatRules> openexrRules();
std::unique_ptr<FormatRules> webpRules();
std::unique_ptr<FormatRules> heifRules();
std::unique_ptr<FormatRules> jpeg2000Rules();
std::unique_ptr<FormatRules> hdrRules();
// The formats whose rules are a line or two each: BMP, ICO, PNM, SGI, RLA,
// IFF, DPX, and those no file is written in (GIF, FITS, zfile, null, term).
std::vector<std::unique_ptr<FormatRules>> smallFormatsRules();

// All of the above.
std::vector<std::unique_ptr<FormatRules>> everyFormatsRules();

}  // namespace tavi::host::files

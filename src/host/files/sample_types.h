// OpenImageIO's sample types as the files part compares and names them.
#pragma once

#include <string>
#include <vector>

#include "host/files/oiio.h"

namespace tavi::host::files {

bool isFloat(OIIO::TypeDesc type);

// Whether every value of `from` comes back from `to` unchanged.
bool holdsEveryValue(OIIO::TypeDesc to, OIIO::TypeDesc from);

// The type of several channels' that holds the most: floats over
// integers, wider over narrower.
OIIO::TypeDesc widest(const std::vector<OIIO::TypeDesc> &types);

// "8-bit integer", "half float", ... for notices.
std::string typeWords(OIIO::TypeDesc type);

}  // namespace tavi::host::files

// The notice a lossy format's file gets: what its encoding loses of every
// picture, the parts the filter left alone too.
#pragma once

#include <string>

namespace tavi::host::files {

// "JPEG is lossy: every pixel is encoded again at quality 95, those the
// filter left alone too" and the like; `what` names the encoding ("JPEG",
// "JPEG compression"), `quality` it (0: none given).
inline std::string lossyWords(const std::string &what, int quality) {
    return what + " is lossy: every pixel is encoded again" +
           (quality > 0 ? " at quality " + std::to_string(quality) : std::string()) +
           ", those the filter left alone too";
}

}  // namespace tavi::host::files

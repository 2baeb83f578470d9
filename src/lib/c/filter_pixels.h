// A checked request run through the module as `tavi process` runs a frame:
// the frame rules make the 8-bit premultiplied frame the filter is handed,
// a chain of one filter instance with the settings line loaded filters it,
// and the rules put its changes back into the caller's pixels.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "lib/c/image_request.h"

namespace tavi::lib {

// The filter could not have the memory it needed; what() says what failed.
class FilterOutOfMemory : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Changes the pixels only when everything succeeded, and returns how many
// changed. Throws FilterOutOfMemory or std::bad_alloc, or
// host::ModuleError when the module cannot start.
std::size_t filterPixels(const ImageRequest &request);

// filterPixels with every failure as the library reports it: TAVI_OK, or a
// status and the sentence tavi_last_error() gives for it. Never throws, so
// callers that let go of their own locks (Python's GIL) can call it bare.
struct FilterOutcome {
    tavi_status status = TAVI_OK;
    std::string message;
};
FilterOutcome filterReported(const ImageRequest &request) noexcept;

}  // namespace tavi::lib

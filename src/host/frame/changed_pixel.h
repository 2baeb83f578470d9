// A pixel of a frame as a filter left it, where that differs from what it
// was handed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavi::host::frame {

struct ChangedPixel {
    std::size_t index;     // y * width + x
    std::uint8_t rgba[4];  // the pixel's four bytes, as written over the input's

    bool operator==(const ChangedPixel &) const = default;
};

}  // namespace tavi::host::frame

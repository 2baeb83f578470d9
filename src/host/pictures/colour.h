// An opaque colour, 8 bits a channel: what the host's pictures, the panel
// and its window are drawn in.
#pragma once

#include <cstdint>

namespace tavi::host::pictures {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour &) const = default;
};

}  // namespace tavi::host::pictures

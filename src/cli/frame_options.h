// How an image file becomes the frame a renderer hands the filter: which
// layer's colour is filtered, and whether its alpha is straight or
// premultiplied when the file's own label is wrong.
#pragma once

#include <optional>
#include <string>

#include "host/frame/render_frame.h"
#include "host/files/stored_image.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct FrameOptions {
    std::string alpha = "auto";  // auto, straight or premultiplied
    std::string layer;           // empty: the main RGBA

    void addTo(CLI::App &command);
    // How to read a file bound for `output` (none: as stored).
    host::files::ReadRequest request(const std::optional<host::files::OutputFormat> &output = std::nullopt) const;
};

}  // namespace tavi::cli

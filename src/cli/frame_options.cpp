#include "cli/frame_options.h"

#include <CLI/CLI.hpp>

#include "cli/decimal_option.h"

namespace tavi::cli {

void FrameOptions::addTo(CLI::App &command) {
    command
        .add_option("--alpha", alpha,
                    "How the file's colour relates to its alpha: auto (what the file says: PNG, TGA and most TIFF "
                    "straight, OpenEXR premultiplied), straight, or premultiplied. The filter is handed "
                    "premultiplied colour, as a renderer's frame holds it; straight colour is premultiplied "
                    "before and divided back after")
        ->check(oneOf({"auto", "straight", "premultiplied"}));
    command.add_option("--layer", layer,
                       "The layer or part whose R, G, B and A are filtered (default: the unnamed layer, or the "
                       "first); every other channel is written back unchanged");
}

host::files::ReadRequest FrameOptions::request(const std::optional<host::files::OutputFormat> &output) const {
    host::files::ReadRequest request;
    request.layer = layer;
    request.alpha = alpha == "straight"        ? host::files::AlphaChoice::straight
                    : alpha == "premultiplied" ? host::files::AlphaChoice::premultiplied
                                               : host::files::AlphaChoice::automatic;
    request.output = output;
    return request;
}

}  // namespace tavi::cli

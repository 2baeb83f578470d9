#include "cli/encoding_options.h"

#include <CLI/CLI.hpp>

#include "cli/decimal_option.h"

namespace tavi::cli {

void EncodingOptions::addTo(CLI::App &command) {
    command
        .add_option("--compression", compression,
                    "How outputs are compressed, as OpenImageIO names it: zip, piz, dwaa:45, deflate:9, lzw, none, "
                    "... (default: the input's, lossless where the input's was lossy and pixels changed)")
        ->type_name("NAME[:LEVEL]");
    command
        .add_option("--quality", quality, "Quality of lossy outputs, 1 to 100 (default: a JPEG input's own, else 95)")
        ->transform(decimalInRange(1, 100));
    command
        .add_option("-d,--data-type", sampleType,
                    "Sample type of every written channel: uint8, uint16, half or float (default: the input's, "
                    "or the nearest the output's format holds)")
        ->check(oneOf({"uint8", "uint16", "half", "float"}))
        ->type_name("TYPE");
}

}  // namespace tavi::cli

// How `tavi process` encodes its outputs, where the user says so: the
// compression, the quality of lossy formats, the sample type.
#pragma once

#include <string>

#include "host/files/stored_image.h"

namespace CLI {
class App;
}

namespace tavi::cli {

struct EncodingOptions {
    std::string compression;
    int quality = 0;
    std::string sampleType;

    void addTo(CLI::App &command);
    host::files::Encoding encoding() const { return {compression, quality, sampleType}; }
};

}  // namespace tavi::cli

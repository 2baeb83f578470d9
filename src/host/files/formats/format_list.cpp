#include "host/files/formats/format_list.h"

namespace tavi::host::files {

std::vector<std::unique_ptr<FormatRules>> everyFormatsRules() {
    std::vector<std::unique_ptr<FormatRules>> every = smallFormatsRules();
    every.push_back(pngRules());
    every.push_back(jpegRules());
    every.push_back(targaRules());
    every.push_back(tiffRules());
    every.push_back(openexrRules());
    every.push_back(webpRules());
    every.push_back(heifRules());
    every.push_back(jpeg2000Rules());
    every.push_back(hdrRules());
    return every;
}

}  // namespace tavi::host::files

// JPEG 2000, lossless as OpenImageIO writes it, 8 or 16-bit; and Radiance
// HDR, RGB in shared-exponent floats.
#include "host/files/formats/format_list.h"

#include <algorithm>

namespace tavi::host::files {

namespace {

class Jpeg2000Rules : public FormatRules {
public:
    Jpeg2000Rules() : FormatRules("jpeg2000", "JPEG 2000") {}

    // Its writer makes 8-bit files of anything it has no layout for.
    OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const override {
        return stored == OIIO::TypeDesc::UINT8 ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::UINT16;
    }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8", "uint16"}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &) const override {
        if (shape.channels() == 2)
            return "JPEG 2000 files as OpenImageIO writes them hold grey, RGB or RGBA, not grey with alpha; write PNG";
        // Below 32 pixels a side its encoder's resolution levels do not
        // fit, and the file it writes cannot be read.
        if (std::min(shape.width, shape.height) < 32)
            return "OpenImageIO writes JPEG 2000 files of at least 32 x 32 pixels; write PNG";
        return std::nullopt;
    }
};

class HdrRules : public FormatRules {
public:
    HdrRules() : FormatRules("hdr", "Radiance HDR") {}

    OIIO::TypeDesc typeFor(OIIO::TypeDesc) const override { return OIIO::TypeDesc::FLOAT; }
    std::vector<std::string_view> sampleTypes() const override { return {"float"}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &) const override {
        if (shape.colourChannels == 3) return std::nullopt;
        return "Radiance HDR files hold RGB only, and this picture is grey; write OpenEXR";
    }
    std::string losses(const OutputShape &, const Encoding &) const override {
        return "Radiance HDR keeps about 8 bits of precision a pixel (a shared exponent), for the pixels the "
               "filter left alone too, and values below 0 are written as 0";
    }
    bool clipsNegatives() const override { return true; }
};

}  // namespace

std::unique_ptr<FormatRules> jpeg2000Rules() { return std::make_unique<Jpeg2000Rules>(); }
std::unique_ptr<FormatRules> hdrRules() { return std::make_unique<HdrRules>(); }

}  // namespace tavi::host::files

// OpenEXR: premultiplied colour, any channels each at its own type, half
// or float (32-bit integers too). Some of its compressions lose data: B44
// and B44A on half channels, PXR24 on float ones, DWAA and DWAB on colour.
#include "host/files/formats/format_list.h"
#include "host/files/formats/lossy_words.h"

namespace tavi::host::files {

namespace {

class OpenExrRules : public FormatRules {
public:
    OpenExrRules() : FormatRules("openexr", "OpenEXR") {}

    AlphaLabels alphaLabels() const override { return AlphaLabels::associatedOnly; }
    bool holdsAnyChannels() const override { return true; }
    bool typePerChannel() const override { return true; }
    // Multi-part files are written to the temporary file all the same:
    // OpenImageIO cannot encode them in memory.
    bool encodedInMemory() const override { return true; }
    // Half holds every 8-bit value as a fraction that rounds back to it;
    // wider integers need float, 32-bit ones stay integers.
    OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const override {
        if (stored == OIIO::TypeDesc::HALF || stored == OIIO::TypeDesc::FLOAT || stored == OIIO::TypeDesc::UINT32)
            return stored;
        const bool integer = stored.basetype != OIIO::TypeDesc::HALF && !stored.is_floating_point();
        if (integer && int(stored.size() * 8) - (stored.is_signed() ? 1 : 0) <= 8) return OIIO::TypeDesc::HALF;
        return OIIO::TypeDesc::FLOAT;
    }
    std::vector<std::string_view> sampleTypes() const override { return {"half", "float"}; }

    std::vector<CompressionEntry> compressions() const override {
        return {{"none"},  {"rle"}, {"zips"}, {"zip", 1, 9},     {"piz"},
                {"pxr24"}, {"b44"}, {"b44a"}, {"dwaa", 1, 1000}, {"dwab", 1, 1000}};
    }
    bool lossy(const CompressionAsked &asked, const OutputShape &shape) const override {
        const std::string &name = asked.name;
        if (name == "dwaa" || name == "dwab") return true;
        if (name == "b44" || name == "b44a") return shape.type != OIIO::TypeDesc::FLOAT;
        return name == "pxr24" && shape.type == OIIO::TypeDesc::FLOAT;
    }
    bool takesQuality(const CompressionAsked &asked) const override {
        return asked.name == "dwaa" || asked.name == "dwab";
    }
    std::string losslessCompression() const override { return "zip"; }
    std::string losses(const OutputShape &shape, const Encoding &encoding) const override {
        const CompressionAsked asked = CompressionAsked::of(encoding.compression);
        if (!lossy(asked, shape)) return "";
        if (asked.name == "pxr24") return "PXR24 compression keeps 24 of the 32 bits of every float sample";
        if (asked.name == "b44" || asked.name == "b44a")
            return "B44 compression is lossy for half samples: every pixel is encoded again in blocks of 4 x 4";
        return lossyWords(asked.name + " compression", 0) + " (alpha is kept exactly)";
    }
};

}  // namespace

std::unique_ptr<FormatRules> openexrRules() { return std::make_unique<OpenExrRules>(); }

}  // namespace tavi::host::files

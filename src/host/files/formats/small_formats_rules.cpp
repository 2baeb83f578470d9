// The formats whose rules are a line or two: what their writers take as
// OpenImageIO 2.4 writes them, and those no file is written in at all.
#include "host/files/formats/format_list.h"

namespace tavi::host::files {

namespace {

using Types = std::vector<std::string_view>;

// A format of 8-bit files, or 8 and 16-bit ones; grey with alpha refused
// where the writer has no layout for it (some abort on it).
class IntegerRules : public FormatRules {
public:
    IntegerRules(std::string name, std::string title, bool sixteen, bool greyAlpha, bool rgbOnly = false)
        : FormatRules(std::move(name), std::move(title)), sixteen_(sixteen), greyAlpha_(greyAlpha), rgbOnly_(rgbOnly) {}

    OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const override {
        if (!sixteen_ || stored == OIIO::TypeDesc::UINT8) return OIIO::TypeDesc::UINT8;
        return OIIO::TypeDesc::UINT16;
    }
    Types sampleTypes() const override { return sixteen_ ? Types{"uint8", "uint16"} : Types{"uint8"}; }
    std::vector<CompressionEntry> compressions() const override { return {{"none"}}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &) const override {
        if (rgbOnly_ && shape.colourChannels != 3)
            return title() + " files hold RGB or RGBA, and this picture is grey; write PNG";
        if (!greyAlpha_ && shape.channels() == 2)
            return title() + " files as OpenImageIO writes them hold no grey with alpha; write PNG";
        return std::nullopt;
    }

private:
    bool sixteen_, greyAlpha_, rgbOnly_;
};

class IcoRules : public IntegerRules {
public:
    IcoRules() : IntegerRules("ico", "ICO", false, true) {}
    int largestSide() const override { return 256; }
    std::vector<CompressionEntry> compressions() const override { return {}; }
};

// PNM: grey in .pgm, RGB in .ppm, either in .pnm; no alpha, 8 bits (the
// 16-bit writer of OpenImageIO 2.4 writes garbage, its bitmaps come out
// inverted and it has no writer of float maps).
class PnmRules : public IntegerRules {
public:
    PnmRules() : IntegerRules("pnm", "PNM", false, true) {}
    std::vector<CompressionEntry> compressions() const override { return {}; }
    std::optional<std::string> refusal(const std::filesystem::path &output) const override {
        if (output.extension() == ".pbm") return "OpenImageIO writes PBM bitmaps inverted; write PGM or PNG";
        return std::nullopt;
    }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &output) const override {
        if (output.extension() == ".ppm" && shape.colourChannels != 3)
            return "a .ppm file holds RGB; write .pgm for grey";
        if (output.extension() == ".pgm" && shape.colourChannels != 1)
            return "a .pgm file holds grey; write .ppm for RGB";
        return std::nullopt;
    }
};

class IffRules : public IntegerRules {
public:
    IffRules() : IntegerRules("iff", "Maya IFF", true, false, true) {}
    std::vector<CompressionEntry> compressions() const override { return {{"none"}, {"rle"}}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &encoding,
                                            const std::filesystem::path &output) const override {
        if (auto problem = IntegerRules::shapeProblem(shape, encoding, output)) return problem;
        if (shape.alpha && shape.type == OIIO::TypeDesc::UINT16 && encoding.compression.starts_with("rle"))
            return "OpenImageIO's RLE compression corrupts the alpha of 16-bit Maya IFF files; use none";
        return std::nullopt;
    }
    // Its RLE corrupts 16-bit alpha: such files are written uncompressed.
    void adjustSpec(OIIO::ImageSpec &spec, const std::filesystem::path &, bool) const override {
        if (spec.alpha_channel >= 0 && spec.format == OIIO::TypeDesc::UINT16) spec.attribute("compression", "none");
    }
};

// RLA and DPX take 8 and 16-bit integers and float; half goes as float,
// which holds it exactly.
class IntegersAndFloatRules : public FormatRules {
public:
    IntegersAndFloatRules(std::string name, std::string title, bool greyAlpha)
        : FormatRules(std::move(name), std::move(title)), greyAlpha_(greyAlpha) {}
    OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const override {
        if (stored == OIIO::TypeDesc::UINT8 || stored == OIIO::TypeDesc::UINT16) return stored;
        if (stored == OIIO::TypeDesc::INT8) return OIIO::TypeDesc::UINT8;
        if (stored == OIIO::TypeDesc::INT16 || stored == OIIO::TypeDesc::UINT32 || stored == OIIO::TypeDesc::INT32)
            return OIIO::TypeDesc::UINT16;
        return OIIO::TypeDesc::FLOAT;
    }
    Types sampleTypes() const override { return {"uint8", "uint16", "float"}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &) const override {
        if (greyAlpha_ || shape.channels() != 2) return std::nullopt;
        return title() +
               " files as OpenImageIO writes them hold no grey with alpha (its writer aborts on it); "
               "write TIFF or OpenEXR";
    }

private:
    bool greyAlpha_;
};

// Formats no file is written in.
class RefusedRules : public FormatRules {
public:
    RefusedRules(std::string name, std::string title, std::string why)
        : FormatRules(std::move(name), std::move(title)), why_(std::move(why)) {}
    std::optional<std::string> refusal(const std::filesystem::path &) const override { return why_; }

private:
    std::string why_;
};

}  // namespace

std::vector<std::unique_ptr<FormatRules>> smallFormatsRules() {
    std::vector<std::unique_ptr<FormatRules>> rules;
    rules.push_back(std::make_unique<IntegerRules>("bmp", "BMP", false, false));
    rules.push_back(std::make_unique<IntegerRules>("sgi", "SGI", true, true));
    rules.push_back(std::make_unique<IcoRules>());
    rules.push_back(std::make_unique<PnmRules>());
    rules.push_back(std::make_unique<IffRules>());
    rules.push_back(std::make_unique<IntegersAndFloatRules>("rla", "RLA", true));
    rules.push_back(std::make_unique<IntegersAndFloatRules>("dpx", "DPX", false));
    rules.push_back(std::make_unique<RefusedRules>(
        "gif", "GIF",
        "GIF files as OpenImageIO writes them hold 256 colours and no transparency: the blended colours of every "
        "smoothed edge would be lost; write PNG"));
    rules.push_back(std::make_unique<RefusedRules>(
        "fits", "FITS",
        "OpenImageIO writes FITS files without channel names or alpha, and 16-bit and half samples wrongly; write "
        "TIFF or OpenEXR"));
    rules.push_back(std::make_unique<RefusedRules>("zfile", "zfile",
                                                   "a zfile holds one depth channel, not a picture; write OpenEXR"));
    rules.push_back(std::make_unique<RefusedRules>("null", "null", "the null format writes no file"));
    rules.push_back(std::make_unique<RefusedRules>(
        "term", "term", "the term format draws the picture on the terminal and writes no file; write PNG"));
    return rules;
}

}  // namespace tavi::host::files

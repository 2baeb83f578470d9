// TIFF: any channels at one type, straight or associated alpha as
// labelled, CMYK and CIELAB kept. OpenImageIO's reader premultiplies some
// partial tiles twice, so straight colour is premultiplied here instead;
// its writer converts CMYK and CIELAB to RGB, so they are written as plain
// samples and labelled again with libtiff afterwards; and it writes JPEG
// compression only for 8-bit RGB, falling back to zip for anything else.
#include "host/files/formats/format_list.h"
#include "host/files/formats/lossy_words.h"
#include "host/files/formats/tiff_labels.h"
#include "host/files/stored_parts.h"

#include <algorithm>

namespace tavi::host::files {

namespace {

bool jpegCompressed(const CompressionAsked &asked) { return asked.name == "jpeg"; }

class TiffRules : public FormatRules {
public:
    TiffRules() : FormatRules("tiff", "TIFF") {}

    bool premultiplyAfterReading() const override { return true; }
    // Its conversion of tiled CMYK to RGB writes past the end of its
    // buffers (in OpenImageIO 2.4), corrupting the heap.
    std::optional<std::string> readHazard(const OIIO::ImageSpec &first, bool converting) const override {
        if (!converting || first.tile_width == 0 || !holdsInks(first)) return std::nullopt;
        return "OpenImageIO's conversion of tiled CMYK TIFF files to RGB corrupts its memory, so this file is not "
               "handed to it; write TIFF, which keeps CMYK, or store the file in strips first (tiffcp -s IN OUT)";
    }

    AlphaLabels alphaLabels() const override { return AlphaLabels::either; }
    bool holdsAnyChannels() const override { return true; }
    bool keepsColourModels() const override { return true; }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8", "uint16", "float"}; }

    std::vector<CompressionEntry> compressions() const override {
        return {{"none"},     {"lzw"},         {"zip", 1, 9}, {"deflate", 1, 9}, {"adobe_deflate", 1, 9},
                {"packbits"}, {"jpeg", 1, 100}};
    }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &encoding,
                                            const std::filesystem::path &) const override {
        if (!jpegCompressed(CompressionAsked::of(encoding.compression))) return std::nullopt;
        if (shape.channels() == 3 && shape.type == OIIO::TypeDesc::UINT8) return std::nullopt;
        return "OpenImageIO writes JPEG-compressed TIFF files of 8-bit RGB only, and this picture is " +
               std::to_string(shape.channels()) + " channels of " + std::string(shape.type.c_str()) +
               "; use zip or lzw, or write a .jpg file";
    }
    // What OpenImageIO reads as TIFF compressions beyond these it writes
    // as zip: as stored, such a file is written with zip and says so.
    bool lossy(const CompressionAsked &asked, const OutputShape &) const override {
        static const std::string_view lossyOnes[] = {"jpeg", "ojpeg", "webp", "jxl", "lerc"};
        return std::find(std::begin(lossyOnes), std::end(lossyOnes), asked.name) != std::end(lossyOnes);
    }
    bool takesQuality(const CompressionAsked &asked) const override { return jpegCompressed(asked); }
    std::string losslessCompression() const override { return "zip"; }
    std::string losses(const OutputShape &, const Encoding &encoding) const override {
        const CompressionAsked asked = CompressionAsked::of(encoding.compression);
        if (!jpegCompressed(asked)) return "";
        return lossyWords("JPEG compression", asked.level.value_or(encoding.quality));
    }

    void adjustSpec(OIIO::ImageSpec &spec, const std::filesystem::path &, bool) const override {
        spec = plainSamplesSpec(std::move(spec));
        spec.erase_attribute("tiff:PhotometricInterpretation");
        // TIFF has no display window: one the size of the picture, placed
        // where it is, is what a page position says.
        if (spec.full_x == spec.x && spec.full_y == spec.y && spec.full_width == spec.width &&
            spec.full_height == spec.height)
            spec.full_x = spec.full_y = 0;
    }

    AfterWriting afterWriting(const detail::StoredParts &, const std::vector<OIIO::ImageSpec> &levelsRead,
                              Notices &) const override {
        if (std::none_of(levelsRead.begin(), levelsRead.end(), needsRelabelling)) return {};
        AfterWriting after;
        after.file = [levelsRead](const std::filesystem::path &written) { return relabelTiff(written, levelsRead); };
        return after;
    }
};

}  // namespace

std::unique_ptr<FormatRules> tiffRules() { return std::make_unique<TiffRules>(); }

}  // namespace tavi::host::files

// PNG: 8 or 16-bit integers, straight alpha. OpenImageIO's writer takes
// its compression level only as png:compressionLevel (it ignores the
// "compression" attribute), and keeps few of a file's chunks: those of the
// input, where it was a PNG file, are carried over.
#include "host/files/formats/format_list.h"
#include "host/files/formats/png_chunks.h"
#include "host/files/file_reading.h"
#include "host/files/stored_parts.h"

namespace tavi::host::files {

namespace {

class PngRules : public FormatRules {
public:
    PngRules() : FormatRules("png", "PNG") {}

    bool encodedInMemory() const override { return true; }
    OIIO::TypeDesc typeFor(OIIO::TypeDesc stored) const override {
        return stored == OIIO::TypeDesc::UINT8 ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::UINT16;
    }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8", "uint16"}; }
    // A PNG file is always a zlib stream: "none" stores it at level 0.
    std::vector<CompressionEntry> compressions() const override { return {{"none"}, {"zip", 0, 9}, {"deflate", 0, 9}}; }

    void adjustSpec(OIIO::ImageSpec &spec, const std::filesystem::path &, bool) const override {
        const CompressionAsked asked = CompressionAsked::of(spec.get_string_attribute("compression"));
        spec.erase_attribute("compression");
        if (asked.name == "none")
            spec.attribute("png:compressionLevel", 0);
        else if (asked.level)
            spec.attribute("png:compressionLevel", *asked.level);
    }

    AfterWriting afterWriting(const detail::StoredParts &stored, const std::vector<OIIO::ImageSpec> &,
                              Notices &notices) const override {
        if (stored.format != "png") return {};
        AfterWriting after;
        after.bytes = [&stored, &notices](std::vector<unsigned char> &encoded) -> std::optional<std::string> {
            for (const std::string &notice : carryPngChunks(fileBytes(stored.source), encoded))
                notices.push_back(notice);
            return std::nullopt;
        };
        return after;
    }
};

}  // namespace

std::unique_ptr<FormatRules> pngRules() { return std::make_unique<PngRules>(); }

}  // namespace tavi::host::files

// JPEG: lossy, 8-bit, no alpha, at most 65500 pixels a side. A truncated
// file is decoded with its missing rows grey and only a warning, so its
// markers are looked at; a JPEG input is written again at the quality its
// quantisation tables tell.
#include "host/files/formats/format_list.h"
#include "host/files/formats/jpeg_markers.h"
#include "host/files/formats/lossy_words.h"
#include "host/files/stored_parts.h"

namespace tavi::host::files {

namespace {

constexpr int kDefaultQuality = 95;

class JpegRules : public FormatRules {
public:
    JpegRules() : FormatRules("jpeg", "JPEG") {}

    std::optional<std::string> damage(const std::filesystem::path &path) const override {
        if (jpegIsWhole(path)) return std::nullopt;
        return "the file ends before its last marker: it is truncated";
    }

    bool encodedInMemory() const override { return true; }
    OIIO::TypeDesc typeFor(OIIO::TypeDesc) const override { return OIIO::TypeDesc::UINT8; }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8"}; }
    int largestSide() const override { return 65500; }

    std::vector<CompressionEntry> compressions() const override { return {{"jpeg", 1, 100}}; }
    bool lossy(const CompressionAsked &, const OutputShape &) const override { return true; }
    bool takesQuality(const CompressionAsked &) const override { return true; }
    std::string qualityCompression(const std::filesystem::path &) const override { return "jpeg"; }
    std::string losses(const OutputShape &, const Encoding &encoding) const override {
        return lossyWords("JPEG", CompressionAsked::of(encoding.compression).level.value_or(encoding.quality));
    }

    int defaultQuality(const detail::StoredParts &stored, Notices &notices) const override {
        if (stored.format != "jpeg") return kDefaultQuality;
        if (const std::optional<int> quality = jpegQuality(stored.source)) return *quality;
        notices.push_back("the quality of " + stored.source.string() +
                          " cannot be told from its quantisation tables; written at quality " +
                          std::to_string(kDefaultQuality) + " (--quality sets it)");
        return kDefaultQuality;
    }
};

}  // namespace

std::unique_ptr<FormatRules> jpegRules() { return std::make_unique<JpegRules>(); }

}  // namespace tavi::host::files

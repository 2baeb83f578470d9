// WebP and HEIF as OpenImageIO 2.4 writes them: 8-bit and lossy at every
// setting (its "lossless" WebP converts the pixels to 4:2:0 first), RGB or
// RGBA only. WebP also loses the colour under fully transparent pixels.
#include "host/files/formats/format_list.h"
#include "host/files/formats/lossy_words.h"

namespace tavi::host::files {

namespace {

constexpr int kDefaultQuality = 95;

class LossyRgbRules : public FormatRules {
public:
    using FormatRules::FormatRules;

    OIIO::TypeDesc typeFor(OIIO::TypeDesc) const override { return OIIO::TypeDesc::UINT8; }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8"}; }
    std::optional<std::string> shapeProblem(const OutputShape &shape, const Encoding &,
                                            const std::filesystem::path &) const override {
        if (shape.colourChannels == 3) return std::nullopt;
        return title() + " files hold RGB or RGBA, and this picture is grey; write PNG";
    }
    bool lossy(const CompressionAsked &, const OutputShape &) const override { return true; }
    bool takesQuality(const CompressionAsked &) const override { return true; }
    int defaultQuality(const detail::StoredParts &, Notices &) const override { return kDefaultQuality; }
};

class WebpRules : public LossyRgbRules {
public:
    WebpRules() : LossyRgbRules("webp", "WebP") {}
    std::vector<CompressionEntry> compressions() const override { return {{"webp", 1, 100}}; }
    std::string qualityCompression(const std::filesystem::path &) const override { return "webp"; }
    std::string losses(const OutputShape &shape, const Encoding &encoding) const override {
        const int quality = CompressionAsked::of(encoding.compression).level.value_or(encoding.quality);
        return lossyWords("WebP as OpenImageIO writes it", quality) +
               (shape.alpha ? ", and colour where alpha is 0 is lost" : "");
    }
};

class HeifRules : public LossyRgbRules {
public:
    HeifRules() : LossyRgbRules("heif", "HEIF") {}
    std::vector<CompressionEntry> compressions() const override { return {{"heic", 1, 100}, {"avif", 1, 100}}; }
    // The codec follows the compression's name, not the file's: an .avif
    // file gets AV1 only when asked for by name.
    std::string qualityCompression(const std::filesystem::path &output) const override {
        return output.extension() == ".avif" ? "avif" : "heic";
    }
    // OpenImageIO 2.4's writer copies each row as long as libheif's padded
    // one (up to 64 pixels more), reading past the last row's end.
    std::size_t readsPastSamples(const OIIO::ImageSpec &spec) const override {
        return std::size_t(64 * spec.nchannels + 64);
    }
    std::string losses(const OutputShape &, const Encoding &encoding) const override {
        return lossyWords("HEIF", CompressionAsked::of(encoding.compression).level.value_or(encoding.quality));
    }
};

}  // namespace

std::unique_ptr<FormatRules> webpRules() { return std::make_unique<WebpRules>(); }
std::unique_ptr<FormatRules> heifRules() { return std::make_unique<HeifRules>(); }

}  // namespace tavi::host::files

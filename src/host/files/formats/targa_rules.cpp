// Targa: 8-bit, straight alpha. Its extension area's alpha type says what
// the fourth channel is, which OpenImageIO's reader does not tell; its
// writer stores the postage stamp's channels in another order than the
// reader hands them over, and writes no alpha type of its own.
#include "host/files/formats/format_list.h"
#include "host/files/formats/targa_extension.h"
#include "host/files/file_reading.h"
#include "host/files/stored_parts.h"

namespace tavi::host::files {

namespace {

class TargaRules : public FormatRules {
public:
    TargaRules() : FormatRules("targa", "Targa") {}

    int alphaType(const std::filesystem::path &path) const override { return targaAlphaType(path); }
    bool alphaTypeIsAlpha(int type) const override { return targaHasAlpha(type); }
    std::optional<frame::AlphaForm> alphaTypeForm(int type) const override {
        return targaPremultiplied(type) ? frame::AlphaForm::associated : frame::AlphaForm::straight;
    }

    bool encodedInMemory() const override { return true; }
    OIIO::TypeDesc typeFor(OIIO::TypeDesc) const override { return OIIO::TypeDesc::UINT8; }
    std::vector<std::string_view> sampleTypes() const override { return {"uint8"}; }
    std::vector<CompressionEntry> compressions() const override { return {{"none"}, {"rle"}}; }
    bool keepsAlphaType() const override { return true; }

    AfterWriting afterWriting(const detail::StoredParts &stored, const std::vector<OIIO::ImageSpec> &,
                              Notices &) const override {
        if (stored.format != "targa" || stored.alphaType < 0) return {};
        AfterWriting after;
        after.bytes = [&stored](std::vector<unsigned char> &encoded) {
            copyTargaPostageStamp(fileBytes(stored.source), encoded);
            return setTargaAlphaType(encoded, stored.alphaType);
        };
        return after;
    }
};

}  // namespace

std::unique_ptr<FormatRules> targaRules() { return std::make_unique<TargaRules>(); }

}  // namespace tavi::host::files

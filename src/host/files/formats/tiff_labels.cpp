#include "host/files/formats/tiff_labels.h"

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "host/files/stored_parts.h"

namespace tavi::host::files {

namespace {

int photometricOf(const OIIO::ImageSpec &spec) { return spec.get_int_attribute("tiff:PhotometricInterpretation", -1); }

bool labelledLab(const OIIO::ImageSpec &spec) {
    const int photometric = photometricOf(spec);
    return photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB || photometric == PHOTOMETRIC_ITULAB;
}

template <class T>
void flipSign(unsigned char *sample) {
    T value;
    std::memcpy(&value, sample, sizeof value);
    value ^= T(T(1) << (sizeof(T) * 8 - 1));
    std::memcpy(sample, &value, sizeof value);
}

}  // namespace

bool storesSignedLab(const OIIO::ImageSpec &spec) { return photometricOf(spec) == PHOTOMETRIC_CIELAB; }

bool holdsInks(const OIIO::ImageSpec &spec) {
    return spec.get_string_attribute("tiff:ColorSpace") == "CMYK" || photometricOf(spec) == PHOTOMETRIC_SEPARATED;
}

void flipLabSigns(detail::StoredLevel &level) {
    if (!storesSignedLab(level.spec) || level.spec.nchannels < 3) return;
    const std::size_t pixelBytes = level.pixelBytes();
    for (int c = 1; c <= 2; ++c) {
        const OIIO::TypeDesc type = level.typeOf(c);
        if (type != OIIO::TypeDesc::UINT8 && type != OIIO::TypeDesc::UINT16) continue;
        unsigned char *sample = level.samples.data() + level.offsetOf(c);
        for (std::size_t i = 0; i < level.pixelCount(); ++i, sample += pixelBytes) {
            if (type == OIIO::TypeDesc::UINT8)
                flipSign<std::uint8_t>(sample);
            else
                flipSign<std::uint16_t>(sample);
        }
    }
}

OIIO::ImageSpec plainSamplesSpec(OIIO::ImageSpec spec) {
    if (holdsInks(spec)) {
        spec.erase_attribute("tiff:ColorSpace");
        if (spec.alpha_channel == 3) spec.alpha_channel = spec.nchannels > 4 ? 4 : -1;
    }
    return spec;
}

bool holdsOtherColourModel(const OIIO::ImageSpec &spec) { return holdsInks(spec) || labelledLab(spec); }

namespace {

// Grey with more than an alpha channel beside it: its writer, taking any
// three channels for RGB, would rename them.
bool greyWithExtras(const OIIO::ImageSpec &spec) {
    const int photometric = photometricOf(spec);
    return (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) && spec.nchannels >= 3;
}

// The extra samples of grey: alpha where the subimage has it, the others
// unspecified, as they were read.
std::vector<std::uint16_t> greyExtras(const OIIO::ImageSpec &spec) {
    std::vector<std::uint16_t> extras;
    for (int c = 1; c < spec.nchannels; ++c) {
        if (c != spec.alpha_channel)
            extras.push_back(EXTRASAMPLE_UNSPECIFIED);
        else
            extras.push_back(spec.get_int_attribute("oiio:UnassociatedAlpha", 0) ? EXTRASAMPLE_UNASSALPHA
                                                                                 : EXTRASAMPLE_ASSOCALPHA);
    }
    return extras;
}

}  // namespace

bool needsRelabelling(const OIIO::ImageSpec &spec) { return holdsOtherColourModel(spec) || greyWithExtras(spec); }

std::optional<std::string> relabelTiff(const std::filesystem::path &written,
                                       const std::vector<OIIO::ImageSpec> &sources) {
    const std::unique_ptr<TIFF, void (*)(TIFF *)> tiff(TIFFOpen(written.c_str(), "r+"), TIFFClose);
    if (!tiff) return "libtiff cannot open the written file to give its colour model";
    for (std::size_t directory = 0; directory < sources.size(); ++directory) {
        const OIIO::ImageSpec &spec = sources[directory];
        if (!needsRelabelling(spec)) continue;
        if (!TIFFSetDirectory(tiff.get(), tdir_t(directory))) return "libtiff cannot find a written page";
        if (holdsInks(spec)) {
            TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
            TIFFSetField(tiff.get(), TIFFTAG_INKSET, INKSET_CMYK);
            // The writer took the fourth ink for an extra sample.
            std::uint16_t count = 0;
            std::uint16_t *kinds = nullptr;
            if (TIFFGetField(tiff.get(), TIFFTAG_EXTRASAMPLES, &count, &kinds) && count > 0) {
                if (count == 1) {
                    TIFFUnsetField(tiff.get(), TIFFTAG_EXTRASAMPLES);
                } else {
                    std::vector<std::uint16_t> rest(kinds + 1, kinds + count);
                    TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, std::uint16_t(rest.size()), rest.data());
                }
            }
        } else if (greyWithExtras(spec)) {
            TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, std::uint16_t(photometricOf(spec)));
            const std::vector<std::uint16_t> extras = greyExtras(spec);
            TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, std::uint16_t(extras.size()), extras.data());
        } else {
            TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, std::uint16_t(photometricOf(spec)));
        }
        if (!TIFFRewriteDirectory(tiff.get())) return "libtiff cannot write the colour model";
    }
    return std::nullopt;
}

}  // namespace tavi::host::files

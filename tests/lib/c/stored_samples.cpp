#include "stored_samples.h"

#include <OpenImageIO/imageio.h>

#include <stdexcept>

namespace tavi::test {

namespace {

OIIO::TypeDesc typeOf(SampleKind kind) {
    switch (kind) {
    case SampleKind::u8: return OIIO::TypeDesc::UINT8;
    case SampleKind::u16: return OIIO::TypeDesc::UINT16;
    case SampleKind::half: return OIIO::TypeDesc::HALF;
    case SampleKind::f32: return OIIO::TypeDesc::FLOAT;
    }
    return OIIO::TypeDesc::UINT8;
}

SampleKind kindOf(OIIO::TypeDesc type) {
    if (type == OIIO::TypeDesc::UINT8) return SampleKind::u8;
    if (type == OIIO::TypeDesc::UINT16) return SampleKind::u16;
    if (type == OIIO::TypeDesc::HALF) return SampleKind::half;
    return SampleKind::f32;
}

[[noreturn]] void fail(const std::filesystem::path &path, const std::string &problem) {
    throw std::runtime_error(path.string() + ": " + problem);
}

}  // namespace

std::size_t bytesOf(SampleKind kind) { return typeOf(kind).size(); }

StoredSamples fromRgba(const host::RgbaImage &image, int channels) {
    StoredSamples s(image.width, image.height, channels, SampleKind::u8);
    for (std::size_t p = 0; p < std::size_t(image.width) * image.height; ++p)
        for (int c = 0; c < channels; ++c) s.bytes[p * channels + c] = image.rgba[p * 4 + c];
    return s;
}

void writeSamples(const std::filesystem::path &path, const StoredSamples &samples, bool associatedTiff) {
    auto out = OIIO::ImageOutput::create(path.string());
    if (!out) fail(path, "no writer");
    OIIO::ImageSpec layout(samples.width, samples.height, samples.channels, typeOf(samples.kind));
    if (samples.channels == 4) layout.alpha_channel = 3;
    // The samples are written as they are: no division by alpha. Marked
    // unassociated, OpenImageIO's TIFF writer says straight; else associated.
    layout.attribute("oiio:UnassociatedAlpha", associatedTiff ? 0 : 1);
    if (!out->open(path.string(), layout) || !out->write_image(typeOf(samples.kind), samples.bytes.data()) ||
        !out->close())
        fail(path, out->geterror());
}

StoredSamples readSamples(const std::filesystem::path &path) {
    OIIO::ImageSpec config;
    // The samples as stored: no multiplication by alpha.
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path.string(), &config);
    if (!in) fail(path, OIIO::geterror());
    const OIIO::ImageSpec &stored = in->spec();
    StoredSamples samples(stored.width, stored.height, stored.nchannels, kindOf(stored.format));
    if (!in->read_image(0, 0, 0, stored.nchannels, typeOf(samples.kind), samples.bytes.data()))
        fail(path, in->geterror());
    return samples;
}

}  // namespace tavi::test

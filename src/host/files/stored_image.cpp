#include "host/files/stored_image.h"

#include <algorithm>

#include "host/files/file_reading.h"
#include "host/files/stored_parts.h"

namespace tavi::host::files {

namespace detail {

std::size_t StoredLevel::pixelBytes() const {
    return heldAs == OIIO::TypeDesc::UNKNOWN ? spec.pixel_bytes(true) : std::size_t(spec.nchannels) * heldAs.size();
}

OIIO::TypeDesc StoredLevel::typeOf(int c) const {
    return heldAs == OIIO::TypeDesc::UNKNOWN ? spec.channelformat(c) : heldAs;
}

int StoredLevel::offsetOf(int c) const {
    int offset = 0;
    for (int before = 0; before < c; ++before) offset += int(typeOf(before).size());
    return offset;
}

OIIO::TypeDesc StoredLevel::uniformType() const {
    for (int c = 1; c < spec.nchannels; ++c)
        if (typeOf(c) != typeOf(0)) return OIIO::TypeDesc::UNKNOWN;
    return typeOf(0);
}

std::string StoredPart::name(int index) const {
    const std::string given = spec().get_string_attribute("oiio:subimagename");
    return given.empty() ? "part " + std::to_string(index + 1) : given;
}

std::uint64_t StoredParts::bytes() const {
    std::uint64_t total = 0;
    for (const StoredPart &part : parts)
        for (const StoredLevel &level : part.levels) total += std::uint64_t(level.pixelBytes()) * level.pixelCount();
    return total;
}

}  // namespace detail

using detail::StoredLevel;
using detail::StoredPart;
using detail::StoredParts;

StoredImage::StoredImage() : parts_(std::make_unique<StoredParts>()) {}
StoredImage::~StoredImage() = default;
StoredImage::StoredImage(StoredImage &&) noexcept = default;
StoredImage &StoredImage::operator=(StoredImage &&) noexcept = default;

frame::PixelView StoredImage::pixels() const {
    StoredLevel &level = parts_->parts[std::size_t(parts_->treated)].levels.front();
    frame::PixelView view;
    view.data = level.samples.data();
    view.width = level.spec.width;
    view.height = level.spec.height;
    view.pixelStride = std::ptrdiff_t(level.pixelBytes());
    view.rowStride = view.pixelStride * level.spec.width;
    for (int i = 0; i < 4; ++i) {
        const int c = parts_->channel[i];
        view.channel[i] = c < 0 ? -1 : level.offsetOf(c);
        view.type[i] = *sampleTypeOf(level.typeOf(c < 0 ? parts_->channel[0] : c));
    }
    return view;
}

frame::AlphaForm StoredImage::form() const { return parts_->form; }

std::uint64_t StoredImage::storedBytes() const { return parts_->bytes(); }

const std::filesystem::path &StoredImage::source() const { return parts_->source; }

ImageFileInfo StoredImage::fileInfo() const {
    const OIIO::ImageSpec &spec = parts_->treatedLevel().spec;
    ImageFileInfo info;
    info.fileFormat = parts_->format;
    info.channels = spec.nchannels;
    info.hasAlpha = parts_->channel[3] >= 0;
    info.alphaAssociated = info.hasAlpha && parts_->label == frame::AlphaForm::associated;
    info.sampleType = spec.channelformat(parts_->channel[0]).c_str();
    info.bitsPerSample =
        spec.get_int_attribute("oiio:BitsPerSample", int(spec.channelformat(parts_->channel[0]).size() * 8));
    return info;
}

StoredImage StoredImage::fromPicture(const RgbaImage &picture, bool withAlpha) {
    StoredImage image;
    StoredParts &stored = *image.parts_;
    StoredLevel level;
    const int channels = withAlpha ? 4 : 3;
    level.spec = OIIO::ImageSpec(picture.width, picture.height, channels, OIIO::TypeDesc::UINT8);
    level.spec.alpha_channel = withAlpha ? 3 : -1;
    level.samples.resize(std::size_t(picture.width) * std::size_t(picture.height) * std::size_t(channels));
    for (std::size_t i = 0, o = 0; i < picture.rgba.size(); i += 4, o += std::size_t(channels))
        std::copy_n(&picture.rgba[i], channels, &level.samples[o]);
    stored.parts.push_back(StoredPart{{std::move(level)}});
    stored.channel[0] = 0;
    stored.channel[1] = 1;
    stored.channel[2] = 2;
    stored.channel[3] = withAlpha ? 3 : -1;
    return image;
}

std::string StoredImage::treatedChannels() const {
    const StoredPart &part = parts_->parts[std::size_t(parts_->treated)];
    std::string names;
    for (int i = 0; i < 4; ++i)
        if (parts_->channel[i] >= 0 && (i == 0 || parts_->channel[i] != parts_->channel[0]))
            names += (names.empty() ? "" : ", ") + std::string(part.spec().channel_name(parts_->channel[i]));
    return names + (parts_->parts.size() > 1 ? " of " + part.name(parts_->treated) : "");
}

std::vector<std::string> StoredImage::passedChannels() const {
    std::vector<std::string> passed;
    for (std::size_t p = 0; p < parts_->parts.size(); ++p) {
        const OIIO::ImageSpec &spec = parts_->parts[p].spec();
        for (int c = 0; c < spec.nchannels; ++c) {
            if (int(p) == parts_->treated && std::find(parts_->channel, parts_->channel + 4, c) != parts_->channel + 4)
                continue;
            passed.push_back(std::string(spec.channel_name(c)) +
                             (parts_->parts.size() > 1 ? " of " + parts_->parts[p].name(int(p)) : ""));
        }
    }
    return passed;
}

}  // namespace tavi::host::files

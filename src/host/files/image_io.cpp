#include "host/files/image_io.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host/files/stored_image.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

namespace {

std::uint8_t toByte(double level) {
    if (!(level > 0.0)) return 0;  // also NaN
    if (level >= 1.0) return 255;
    return static_cast<std::uint8_t>(std::lround(level * 255.0));
}

std::string describeDepth(const ImageFileInfo &info) {
    if (info.sampleType == "half") return "half float";
    if (info.sampleType == "float") return "32-bit float";
    if (info.sampleType == "double") return "64-bit float";
    const bool isSigned = info.sampleType.starts_with("int");
    return std::to_string(info.bitsPerSample) + (info.bitsPerSample == 1 ? " bit" : " bits") +
           (isSigned ? " signed" : "") + " per channel";
}

}  // namespace

IoResult<LoadedImage> readImage(const fs::path &path) {
    auto read = readStored(path);
    if (!read) return IoResult<LoadedImage>::failure(read.error());
    const StoredImage &stored = read->image;
    const frame::PixelView pixels = stored.pixels();

    LoadedImage loaded;
    loaded.info = stored.fileInfo();
    loaded.notices = std::move(read->notices);
    loaded.image = RgbaImage(pixels.width, pixels.height);
    const auto *base = static_cast<const unsigned char *>(pixels.data);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const unsigned char *pixel =
                base + std::ptrdiff_t(y) * pixels.rowStride + std::ptrdiff_t(x) * pixels.pixelStride;
            std::uint8_t *out = loaded.image.at(x, y);
            for (int c = 0; c < 4; ++c) {
                if (pixels.channel[c] < 0)
                    out[c] = 255;
                else if (pixels.type[c] == frame::SampleType::uint8)
                    out[c] = pixel[pixels.channel[c]];
                else
                    out[c] = toByte(frame::sampleLevel(pixel + pixels.channel[c], pixels.type[c]));
            }
        }
    const std::string name = path.string();
    if (loaded.info.sampleType != "uint8" || loaded.info.bitsPerSample != 8)
        loaded.notices.push_back(name + ": converted from " + describeDepth(loaded.info) + " to 8 bits per channel");
    if (pixels.channel[0] == pixels.channel[1])
        loaded.notices.push_back(name + ": greyscale expanded to RGB" + (loaded.info.hasAlpha ? "A" : ""));
    return loaded;
}

IoResult<std::vector<std::string>> writeImage(const fs::path &path, const RgbaImage &image,
                                              const WriteOptions &options) {
    if (image.width <= 0 || image.height <= 0)
        return IoResult<std::vector<std::string>>::failure(path.string() + ": cannot write an image without pixels");
    if (image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
        return IoResult<std::vector<std::string>>::failure(
            path.string() + ": cannot write: the pixel data do not match the size " + std::to_string(image.width) +
            " x " + std::to_string(image.height));
    return writeStored(path, StoredImage::fromPicture(image, options.withAlpha), 1);
}

void writePicture(const fs::path &path, const RgbaImage &picture) {
    auto written = writeImage(path, picture, WriteOptions{false});
    if (!written) throw std::runtime_error(written.error());
}

}  // namespace tavi::host::files

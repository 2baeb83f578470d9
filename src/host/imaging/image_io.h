// Reading and writing image files for the host. The module works on 8-bit
// RGBA, so everything read is brought to that, and everything written comes
// from it. Alpha is kept unassociated both ways: pixel values are handed
// over exactly as the file stores them, never multiplied or divided by
// alpha, so 8-bit RGBA files round-trip bit-exact.
//
// Failures are returned, never thrown: every message starts with the file
// name as the caller gave it, then the problem ("missing.png: no such file").
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/base/rgba_image.h"

namespace tavi::host {

// Either a value or an error message; the message names the file.
template <class T>
class IoResult {
public:
    IoResult(T value) : state_(std::move(value)) {}
    static IoResult failure(std::string message) { return IoResult(Failure{std::move(message)}); }

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    // Only when ok().
    T &value() { return std::get<T>(state_); }
    const T &value() const { return std::get<T>(state_); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    // Only when !ok().
    const std::string &error() const { return std::get<Failure>(state_).message; }

private:
    struct Failure {
        std::string message;
    };
    explicit IoResult(Failure failure) : state_(std::move(failure)) {}
    std::variant<T, Failure> state_;
};

namespace detail {
struct KeptDescription;
}

// The descriptive data a file carried besides its pixels (description,
// software, resolution, colour space, EXIF, ...), and its data and display
// windows. Opaque: only the image I/O code can apply it to a new file.
// Cheap to copy; immutable.
class ImageMetadata {
public:
    ImageMetadata() = default;
    bool empty() const;
    // Names of the attributes kept, in file order.
    std::vector<std::string> names() const;
    // An attribute's value as text, or nothing when absent.
    std::optional<std::string> find(const std::string &name) const;

private:
    friend struct detail::KeptDescription;
    std::shared_ptr<const detail::KeptDescription> kept_;
};

// What an image file held before it was brought to 8-bit RGBA.
struct ImageFileInfo {
    std::string fileFormat;    // the reader's name for it: "png", "tiff", "openexr", ...
    int channels = 0;          // channel count in the file
    bool hasAlpha = false;     // false: alpha was set to 255 and should not be written
    // The file's colour is premultiplied by alpha (OpenEXR, many TIFF
    // renders). Values are handed over as stored all the same; writing a
    // TIFF file like this one labels its alpha associated again.
    bool alphaAssociated = false;
    std::string sampleType;    // per-channel data type in the file: "uint8", "uint16", "half", "float", ...
    int bitsPerSample = 8;     // significant bits per channel in the file
    ImageMetadata metadata;
};

struct LoadedImage {
    RgbaImage image;
    ImageFileInfo info;
    // One line each, naming the file, for anything changed on the way in
    // (depth converted, channels dropped, later images of the file ignored).
    std::vector<std::string> notices;
};

// The largest picture read or written: 2^28 pixels (16384 x 16384), 1 GiB
// as 8-bit RGBA. Larger ones are refused rather than risk exhausting memory.
inline constexpr long long kMaxImagePixels = 1LL << 28;

// Reads the first image of any file OpenImageIO can read. Values are taken
// as stored: no colour-space conversion, and premultiplied colour (OpenEXR)
// stays premultiplied. Channels: 1 is grey, 2 grey and alpha, 3 RGB, 4
// RGBA; of more, the first three and the alpha channel are kept. Grey is
// expanded to RGB; a file without alpha gets alpha 255. Other depths than
// 8 bits are scaled to 0-255, rounded to the nearest value and clamped
// (NaN becomes 0), with a notice.
IoResult<LoadedImage> readImage(const std::filesystem::path &path);

struct WriteOptions {
    bool withAlpha = true;
    // Attributes and windows to carry over, usually from readImage. Windows
    // are kept only when the picture's size is unchanged.
    ImageMetadata metadata;
};

// Writes 8 bits per channel in the format the file name's extension names.
// Formats without 8-bit storage get the nearest they have: OpenEXR is
// written as half float holding value / 255, which reads back exactly.
// The data go to a temporary file in the same folder that is renamed into
// place, so an existing file is replaced only by a complete new one and a
// failure leaves no file behind (a symbolic link at `path` is replaced,
// not followed). Returns notices, one line each, for anything the format
// could not take (alpha in a JPEG file).
IoResult<std::vector<std::string>> writeImage(const std::filesystem::path &path, const RgbaImage &image,
                                              const WriteOptions &options = {});

// Writes a picture the host made itself (a panel canvas, a screenshot),
// without alpha. Throws std::runtime_error naming the file.
void writePicture(const std::filesystem::path &path, const RgbaImage &picture);

// Writes a picture back the way `info` says it was read: alpha only when
// the original had it, with its metadata.
IoResult<std::vector<std::string>> writeImageLike(const std::filesystem::path &path, const RgbaImage &image,
                                                  const ImageFileInfo &info);

}  // namespace tavi::host

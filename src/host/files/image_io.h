// Pictures as 8-bit RGBA, for what the host makes and shows itself (the
// sample render, panel canvases, comparisons): read and written through
// the one stored-image reader and writer. Alpha is kept as the file stores
// it both ways, never multiplied or divided, so 8-bit RGBA files
// round-trip bit-exact.
//
// Failures are returned, never thrown: every message starts with the file
// name as the caller gave it, then the problem ("missing.png: no such file").
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/base/rgba_image.h"

namespace tavi::host::files {

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

// What an image file held before it was brought to 8-bit RGBA.
struct ImageFileInfo {
    std::string fileFormat;  // the reader's name for it: "png", "tiff", "openexr", ...
    int channels = 0;        // channel count in the file
    bool hasAlpha = false;   // false: alpha was set to 255 and should not be written
    // The file's colour is premultiplied by alpha (OpenEXR, many TIFF
    // renders). Values are handed over as stored all the same.
    bool alphaAssociated = false;
    std::string sampleType;  // per-channel data type in the file: "uint8", "uint16", "half", "float", ...
    int bitsPerSample = 8;   // significant bits per channel in the file
};

struct LoadedImage {
    RgbaImage image;
    ImageFileInfo info;
    // One line each, naming the file, for anything changed on the way in
    // (depth converted, greyscale expanded).
    std::vector<std::string> notices;
};

// The largest picture read or written: 2^28 pixels (16384 x 16384), 1 GiB
// as 8-bit RGBA. Larger ones are refused rather than risk exhausting memory.
inline constexpr long long kMaxImagePixels = 1LL << 28;

// Reads the colour and alpha the filter would treat (readStored's pick) as
// an 8-bit RGBA picture, values as stored: no colour-space conversion,
// premultiplied colour stays premultiplied. Grey is expanded to RGB; a file
// without alpha gets alpha 255. Other depths than 8 bits are scaled to
// 0-255, rounded to the nearest value and clamped (NaN becomes 0), with a
// notice.
IoResult<LoadedImage> readImage(const std::filesystem::path &path);

struct WriteOptions {
    bool withAlpha = true;
};

// Writes 8 bits per channel (OpenEXR: half float holding value / 255,
// which reads back exactly) in the format the file name's extension names,
// as carefully as writeStored: a failure leaves no file behind and an
// existing one untouched. Returns notices for anything the format could
// not take (alpha in a JPEG file).
IoResult<std::vector<std::string>> writeImage(const std::filesystem::path &path, const RgbaImage &image,
                                              const WriteOptions &options = {});

// Writes a picture the host made itself (a panel canvas, a screenshot),
// without alpha. Throws std::runtime_error naming the file.
void writePicture(const std::filesystem::path &path, const RgbaImage &picture);

}  // namespace tavi::host::files

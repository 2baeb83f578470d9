// What a StoredImage holds, for the image-file code that reads and writes
// it: the subimages as OpenImageIO described them and their samples.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/files/oiio.h"
#include "host/files/stored_image.h"

namespace tavi::host::files::detail {

// An allocator that leaves new bytes as they are: samples are read or
// converted into whole, so zeroing them first would be one more pass over
// the picture for nothing.
template <class T>
struct Unzeroed : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = Unzeroed<U>;
    };
    Unzeroed() = default;
    template <class U>
    Unzeroed(const Unzeroed<U> &) noexcept {}

    template <class U>
    void construct(U *at) noexcept {
        ::new (static_cast<void *>(at)) U;
    }
    template <class U, class... Args>
    void construct(U *at, Args &&...args) {
        ::new (static_cast<void *>(at)) U(std::forward<Args>(args)...);
    }
};

// Samples as bytes, made without zeroing.
using SampleBytes = std::vector<unsigned char, Unzeroed<unsigned char>>;

// One MIP level of a subimage: its description as read and its samples,
// pixel after pixel, each channel at its stored type, or every channel as
// `heldAs` where a type is one no frame can be made from.
struct StoredLevel {
    files::OIIO::ImageSpec spec;
    files::OIIO::TypeDesc heldAs = files::OIIO::TypeDesc::UNKNOWN;  // UNKNOWN: each channel's own type
    SampleBytes samples;

    std::size_t pixelBytes() const;
    files::OIIO::TypeDesc typeOf(int c) const;
    int offsetOf(int c) const;
    // Every channel of one type: that type; else UNKNOWN.
    files::OIIO::TypeDesc uniformType() const;
    std::size_t pixelCount() const { return std::size_t(spec.width) * std::size_t(spec.height); }
};

// A subimage: its full-resolution picture, then any smaller MIP levels.
struct StoredPart {
    std::vector<StoredLevel> levels;
    const files::OIIO::ImageSpec &spec() const { return levels.front().spec; }
    // Its name in the file, or "part N".
    std::string name(int index) const;
};

struct StoredParts {
    std::filesystem::path source;
    std::string format;  // the reader's name for the file's format
    std::vector<StoredPart> parts;
    int treated = 0;                    // the part whose colour is filtered
    int channel[4] = {-1, -1, -1, -1};  // its red, green, blue, alpha; alpha -1: none
    // The form the filter takes the colour in, and the form the samples
    // are labelled with in the file (after any premultiplying on reading);
    // they differ where the user said the label is wrong.
    frame::AlphaForm form = frame::AlphaForm::straight;
    frame::AlphaForm label = frame::AlphaForm::straight;
    // Straight colour premultiplied as it was read, for a format that
    // holds only premultiplied colour.
    bool premultipliedOnReading = false;
    // CMYK or CIELAB read as stored (CIELAB's signs flipped), not as RGB.
    bool rawColour = false;
    // CMYK read as it is stored: the filter sees C, M and Y as colour.
    bool inks = false;
    // What the file itself says its fourth channel is, where its reader
    // does not (a Targa file's alpha type; -1: nothing).
    int alphaType = -1;
    // A small preview the file carries (Targa's postage stamp).
    std::shared_ptr<files::OIIO::ImageBuf> thumbnail;

    std::uint64_t bytes() const;
    const StoredLevel &treatedLevel() const { return parts[std::size_t(treated)].levels.front(); }
};

}  // namespace tavi::host::files::detail

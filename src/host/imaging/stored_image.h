// An image file as it is stored, for filtering: every subimage (part) and
// every channel at its own type, with the colour and alpha the filter
// treats picked out. Reading and writing it back keeps everything the
// filter did not change bit for bit: depth, range, other layers and
// passes, channel names and order, metadata.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/imaging/image_io.h"
#include "host/imaging/render_frame.h"

namespace tavi::host {

namespace detail {
struct StoredParts;
}
struct LoadedStored;

class StoredImage {
public:
    StoredImage();
    ~StoredImage();
    StoredImage(StoredImage &&) noexcept;
    StoredImage &operator=(StoredImage &&) noexcept;

    // The colour and alpha the filter treats, over the stored samples;
    // valid while this image lives.
    PixelView pixels() const;
    // How the file stores colour: premultiplied (OpenEXR, TIFF marked so)
    // or straight.
    AlphaForm storedForm() const;
    // The bytes its samples take in memory, every part and channel.
    std::uint64_t storedBytes() const;
    // "R, G, B, A of part 1" and the like, for messages.
    std::string treatedChannels() const;
    // Channels the filter does not treat, which pass through unchanged.
    std::vector<std::string> passedChannels() const;

private:
    friend IoResult<LoadedStored> readStored(const std::filesystem::path &, const std::string &, std::size_t);
    friend IoResult<std::vector<std::string>> writeStored(const std::filesystem::path &, const StoredImage &);
    std::unique_ptr<detail::StoredParts> parts_;
};

struct LoadedStored {
    StoredImage image;
    std::vector<std::string> notices;
};

// Reads every subimage of a file. `layer` names the layer or part whose
// RGBA the filter treats; empty: the unnamed layer of the first part, or
// its first layer. Samples of 8 and 16 bits, half and float are kept as
// stored; other types are held as float. Failures name the file. The
// memory a frame needs is checked before its pixels are read, for
// `filters` filters in the chain it goes through (host/imaging/input_checks.h).
IoResult<LoadedStored> readStored(const std::filesystem::path &path, const std::string &layer,
                                  std::size_t filters = 1);

// Writes `image` in the format the file name's extension names, as
// carefully as writeImage. A format that holds fewer subimages or channels
// than the image has gets what it can hold, with a notice.
IoResult<std::vector<std::string>> writeStored(const std::filesystem::path &path, const StoredImage &image);

}  // namespace tavi::host

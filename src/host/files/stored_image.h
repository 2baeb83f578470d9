// An image file as it is stored, for filtering: every subimage (part), every
// MIP level and every channel at its own type, with the colour and alpha the
// filter treats picked out. Reading and writing it back keeps everything the
// filter did not change bit for bit: depth, range, other layers, passes and
// levels, channel names and order, metadata. Where the filter changed no
// pixel and the output has the input's format, the output is the input file
// itself, byte for byte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/files/image_io.h"
#include "host/frame/render_frame.h"

namespace tavi::host::files {

namespace detail {
struct StoredParts;
}
struct LoadedStored;

// How a file's colour relates to its alpha, as the user says: `automatic`
// takes what the file says.
enum class AlphaChoice {
    automatic,
    straight,
    premultiplied
};

// What the output's format asks of the reading, decided from the output's
// name before anything is read.
struct OutputFormat {
    std::string name;                // the writer's name: "png", "openexr", "tiff", ...
    std::filesystem::path file;      // the output named
    bool associatedOnly = false;     // holds premultiplied colour only (OpenEXR)
    bool keepsColourModels = false;  // holds CMYK and CIELAB as they are (TIFF)
};

// The format a file of that name is written in, or why none can be
// ("no image format has the extension .xyz").
IoResult<OutputFormat> outputFormatFor(const std::filesystem::path &path);

// How an output is encoded, where the user says so; left empty (0), as
// the input was stored.
struct Encoding {
    std::string compression;  // as OpenImageIO names it: "zip", "dwaa:45", "deflate:9", "none"
    int quality = 0;          // 1 to 100, for lossy formats
    std::string sampleType;   // "uint8", "uint16", "half" or "float", for every channel

    bool asStored() const { return compression.empty() && quality == 0 && sampleType.empty(); }
};

// Why a file of `format` cannot be encoded so ("PNG files hold uint8 or
// uint16 samples, not half"), or nothing.
std::optional<std::string> encodingProblem(const OutputFormat &format, const Encoding &encoding);

struct ReadRequest {
    std::string layer;  // the layer or part whose RGBA is filtered; empty: the main one
    AlphaChoice alpha = AlphaChoice::automatic;
    // Where the picture goes; nothing: read as stored. Straight colour
    // bound for a format that holds only premultiplied colour is
    // premultiplied as it is read, and CMYK or CIELAB bound for a format
    // without them is read as RGB, as OpenImageIO converts them.
    std::optional<OutputFormat> output;
    // How many filters the frame goes through, each with planes of its
    // own: the memory the frame needs is asked for before its pixels are
    // read.
    std::size_t filters = 1;
};

class StoredImage {
public:
    StoredImage();
    ~StoredImage();
    StoredImage(StoredImage &&) noexcept;
    StoredImage &operator=(StoredImage &&) noexcept;

    // The colour and alpha the filter treats, over the stored samples;
    // valid while this image lives.
    frame::PixelView pixels() const;
    // The form the filter takes the colour in: what the file says, or what
    // the user said.
    frame::AlphaForm form() const;
    // The bytes its samples take in memory, every part, level and channel.
    std::uint64_t storedBytes() const;
    // "R, G, B, A of part 1" and the like, for messages.
    std::string treatedChannels() const;
    // Channels the filter does not treat, which pass through unchanged.
    std::vector<std::string> passedChannels() const;
    // The file it was read from.
    const std::filesystem::path &source() const;
    // What the file holds in the part the filter treats.
    ImageFileInfo fileInfo() const;

    // A picture the host made, as a one-part image of 8-bit samples with
    // straight alpha (or none), to write.
    static StoredImage fromPicture(const RgbaImage &picture, bool withAlpha);

private:
    friend IoResult<LoadedStored> readStored(const std::filesystem::path &, const ReadRequest &);
    friend std::optional<std::string> writeProblem(const std::filesystem::path &, const std::filesystem::path &,
                                                   const ReadRequest &, const Encoding &);
    friend IoResult<std::vector<std::string>> writeStored(const std::filesystem::path &, const StoredImage &,
                                                          std::size_t, const Encoding &);
    std::unique_ptr<detail::StoredParts> parts_;
};

struct LoadedStored {
    StoredImage image;
    std::vector<std::string> notices;
};

// Reads every subimage and level of a file, each channel at its stored
// type (types no frame can be made from, such as 64-bit integers, are held
// as double, with a notice). A damaged file, and one its reader reports a
// problem with (a truncated JPEG), is refused; messages name the file.
IoResult<LoadedStored> readStored(const std::filesystem::path &path, const ReadRequest &request = {});

// Why readStored would refuse the file, as far as its header tells (not a
// regular file, damaged, deep, too large, more than the memory there is),
// without reading its pixels; nothing when it would read it.
std::optional<std::string> readProblem(const std::filesystem::path &path, const ReadRequest &request = {});

// Why `input` cannot be written as `output`, encoded so, as far as its
// header tells: a picture the output's format cannot hold (a channel
// count, a size, a compression it offers only for some pictures); nothing
// where it can, or where reading the input will fail and say why itself.
std::optional<std::string> writeProblem(const std::filesystem::path &input, const std::filesystem::path &output,
                                        const ReadRequest &request, const Encoding &encoding);

// The bytes a frame of this file takes at most on its way through a run,
// from its header; or why the header cannot be read.
IoResult<std::uint64_t> frameMemory(const std::filesystem::path &path, const ReadRequest &request = {});

// Writes `image` in the format the file name's extension names, atomically,
// and checks that the file reads back. `changedPixels` is how many pixels
// the filter changed: none, and a file of the input's format is the input
// itself (unless `encoding` asks for another). Otherwise conversions are
// OpenImageIO's own, every sample handed over at its real type; what the
// format cannot hold (parts, channels, levels, depth, range, metadata) is
// left out or narrowed with a notice, and a lossy compression gives way to
// a lossless one unless `encoding` names it. A JPEG file is written at the
// quality its input was (or 95), unless `encoding` says. Failures name the
// input and the output.
IoResult<std::vector<std::string>> writeStored(const std::filesystem::path &path, const StoredImage &image,
                                               std::size_t changedPixels, const Encoding &encoding = {});

}  // namespace tavi::host::files

#include "host/imaging/image_io.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include "host/base/atomic_file.h"
#include "host/imaging/oiio_files.h"
#include "host/imaging/input_checks.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string_view>

namespace OIIO = OIIO_NAMESPACE;
namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
// OpenImageIO's PNG reader leaks its error text when libpng jumps out of a
// damaged file, past the string's destructor. Not ours to fix. The quick
// stack walk usually stops inside the C++ library, so the suppression
// also names where the string was filled; only a string whose destructor
// was jumped over leaks from there.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:PngReadCallback\n"
           "leak:std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >::_M_assign\n";
}
#endif

namespace tavi::host {

namespace detail {

// What ImageMetadata hides: OpenImageIO's description of the file, of
// which only the attributes and windows are kept; its pixel format and
// channel fields mean nothing. And whether the file's alpha was
// associated, which the attributes leave out.
struct KeptDescription {
    OIIO::ImageSpec spec;
    bool alphaAssociated = false;

    static ImageMetadata wrap(OIIO::ImageSpec spec, bool alphaAssociated) {
        ImageMetadata metadata;
        metadata.kept_ = std::make_shared<const KeptDescription>(KeptDescription{std::move(spec), alphaAssociated});
        return metadata;
    }
    static const KeptDescription *unwrap(const ImageMetadata &metadata) { return metadata.kept_.get(); }
};

}  // namespace detail

using detail::KeptDescription;
using namespace files;

bool ImageMetadata::empty() const { return !kept_ || kept_->spec.extra_attribs.empty(); }

std::vector<std::string> ImageMetadata::names() const {
    std::vector<std::string> names;
    if (kept_) {
        for (const auto &attribute : kept_->spec.extra_attribs) names.emplace_back(attribute.name().string());
    }
    return names;
}

std::optional<std::string> ImageMetadata::find(const std::string &name) const {
    if (!kept_) return std::nullopt;
    const OIIO::ParamValue *attribute = kept_->spec.find_attribute(name);
    if (!attribute) return std::nullopt;
    return attribute->get_string(1024);
}

namespace files {

using Notices = std::vector<std::string>;

// OpenImageIO's messages can span lines; ours stay on one.
std::string oneLine(std::string text) {
    std::string result;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            if (!result.empty() && result.back() != ' ') result += "; ";
        } else {
            result += c;
        }
    }
    while (!result.empty() && (result.back() == ' ' || result.back() == ';')) result.pop_back();
    return result.empty() ? "no reason given" : result;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool tooLarge(long long width, long long height) { return width > kMaxImagePixels / std::max(height, 1LL); }

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

// Attributes that describe how the reader stored pixels, not the picture;
// they would be wrong for the 8-bit file written later.
bool describesStorage(std::string_view name) {
    if (name.starts_with("oiio:")) return name != "oiio:ColorSpace" && name != "oiio:Gamma";
    return name.starts_with("thumbnail_");
}

// Readers asked to keep alpha unassociated say so when the file's is.
bool alphaAssociated(const OIIO::ImageSpec &spec) {
    return spec.alpha_channel >= 0 && spec.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0;
}

ImageMetadata keptMetadata(const OIIO::ImageSpec &spec) {
    OIIO::ImageSpec kept;
    kept.width = spec.width;
    kept.height = spec.height;
    kept.x = spec.x;
    kept.y = spec.y;
    kept.full_x = spec.full_x;
    kept.full_y = spec.full_y;
    kept.full_width = spec.full_width;
    kept.full_height = spec.full_height;
    for (const auto &attribute : spec.extra_attribs) {
        if (!describesStorage(attribute.name().string())) kept.extra_attribs.push_back(attribute);
    }
    return KeptDescription::wrap(std::move(kept), alphaAssociated(spec));
}

std::string describeDepth(OIIO::TypeDesc type, int bits) {
    using OIIO::TypeDesc;
    if (type == TypeDesc::HALF) return "half float";
    if (type == TypeDesc::FLOAT) return "32-bit float";
    if (type == TypeDesc::DOUBLE) return "64-bit float";
    const bool isSigned = type == TypeDesc::INT8 || type == TypeDesc::INT16 || type == TypeDesc::INT32 ||
                          type == TypeDesc::INT64;
    return std::to_string(bits) + (bits == 1 ? " bit" : " bits") + (isSigned ? " signed" : "") + " per channel";
}

// Which file channel feeds red, green, blue and alpha (-1: none).
struct ChannelMap {
    int red = 0, green = 0, blue = 0, alpha = -1;
    int readCount = 0;  // channels 0 .. readCount-1 are read
    bool grey = false;
};

ChannelMap mapChannels(const OIIO::ImageSpec &spec) {
    ChannelMap map;
    const int count = spec.nchannels;
    map.alpha = spec.alpha_channel >= 0 && spec.alpha_channel < count ? spec.alpha_channel : -1;
    std::vector<int> colour;
    for (int c = 0; c < count && colour.size() < 3; ++c) {
        if (c != map.alpha) colour.push_back(c);
    }
    map.grey = colour.size() < 3;
    if (map.grey) colour.resize(1);  // a second non-alpha channel of two is not a colour we can show
    map.red = colour[0];
    map.green = map.grey ? colour[0] : colour[1];
    map.blue = map.grey ? colour[0] : colour[2];
    map.readCount = std::max({map.red, map.green, map.blue, map.alpha}) + 1;
    return map;
}

std::string channelName(const OIIO::ImageSpec &spec, int c) {
    if (c < int(spec.channelnames.size()) && !spec.channelnames[c].empty()) return spec.channelnames[c];
    return "#" + std::to_string(c);
}

std::optional<std::string> droppedChannelsNotice(const std::string &name, const OIIO::ImageSpec &spec,
                                                 const ChannelMap &map) {
    std::string dropped;
    int droppedCount = 0;
    for (int c = 0; c < spec.nchannels; ++c) {
        if (c == map.red || c == map.green || c == map.blue || c == map.alpha) continue;
        dropped += (droppedCount++ ? ", " : "") + channelName(spec, c);
    }
    if (droppedCount == 0) return std::nullopt;
    return name + ": " + std::to_string(spec.nchannels) + " channels; " + dropped +
           (droppedCount == 1 ? " is" : " are") + " not used and will not be written";
}

std::uint8_t toByte(float value) {
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(double(value) * 255.0));
}

template <class Sample>
std::uint8_t toByte(Sample value) {
    if constexpr (std::is_same_v<Sample, std::uint8_t>)
        return value;
    else
        return toByte(static_cast<float>(value));
}

// Copies rows of file samples (readCount channels each) into RGBA.
template <class Sample>
void storeRows(const std::vector<Sample> &samples, const ChannelMap &map, int width, int firstRow, int rows,
               RgbaImage &image) {
    for (int row = 0; row < rows; ++row) {
        const Sample *source = samples.data() + std::size_t(row) * std::size_t(width) * std::size_t(map.readCount);
        std::uint8_t *target = image.at(0, firstRow + row);
        for (int x = 0; x < width; ++x, source += map.readCount, target += 4) {
            target[0] = toByte(source[map.red]);
            target[1] = toByte(source[map.green]);
            target[2] = toByte(source[map.blue]);
            target[3] = map.alpha >= 0 ? toByte(source[map.alpha]) : 255;
        }
    }
}

// Reads the pixels in bands of rows so that the file's own sample type
// never needs a second whole-picture buffer.
template <class Sample>
bool readPixels(OIIO::ImageInput &input, const OIIO::ImageSpec &spec, const ChannelMap &map, RgbaImage &image) {
    const OIIO::TypeDesc type = std::is_same_v<Sample, std::uint8_t> ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::FLOAT;
    const bool tiled = spec.tile_width > 0 && spec.tile_height > 0;
    // Whole rows of tiles, or as many rows as make about a million pixels.
    const int band = tiled ? spec.tile_height : std::clamp((1 << 20) / spec.width, 1, 64);
    std::vector<Sample> samples(std::size_t(spec.width) * std::size_t(band) * std::size_t(map.readCount));
    for (int first = 0; first < spec.height; first += band) {
        const int rows = std::min(band, spec.height - first);
        const int ybegin = spec.y + first, yend = ybegin + rows;
        const bool read = tiled ? input.read_tiles(0, 0, spec.x, spec.x + spec.width, ybegin, yend, spec.z,
                                                   spec.z + 1, 0, map.readCount, type, samples.data())
                                : input.read_scanlines(0, 0, ybegin, yend, spec.z, 0, map.readCount, type,
                                                       samples.data());
        if (!read) return false;
        storeRows(samples, map, spec.width, first, rows, image);
    }
    return true;
}

bool allChannelsAre(const OIIO::ImageSpec &spec, OIIO::TypeDesc type, int count) {
    for (int c = 0; c < count; ++c) {
        if (spec.channelformat(c) != type) return false;
    }
    return true;
}

// Whether the file can be opened for reading at all, with the system's
// reason when not; OpenImageIO's own message would hide it.
std::optional<std::string> unreadableReason(const fs::path &path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return "no such file";
    if (error) return "cannot read (" + error.message() + ")";
    if (fs::is_directory(status)) return "is a folder, not an image file";
    if (fs::is_regular_file(status) && fs::file_size(path, error) == 0 && !error) return "is empty, not an image file";
    if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return std::nullopt;
    }
    return "cannot read (" + std::string(std::strerror(errno)) + ")";
}

IoResult<std::unique_ptr<OIIO::ImageInput>> openStored(const fs::path &path) {
    using Result = IoResult<std::unique_ptr<OIIO::ImageInput>>;
    const std::string name = path.string();
    if (auto reason = irregularInput(path)) return Result::failure(name + ": " + *reason);
    if (auto reason = unreadableReason(path)) return Result::failure(name + ": " + *reason);
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(name, &config);
    if (!input)
        return Result::failure(name + ": not an image file OpenImageIO can read (" + oneLine(OIIO::geterror()) + ")");
    return input;
}

std::optional<std::string> pictureProblem(const OIIO::ImageSpec &spec) {
    if (spec.deep) return "deep images (several samples per pixel) are not supported";
    if (spec.depth > 1) return "volume images are not supported";
    if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) return "the image has no pixels";
    if (tooLarge(spec.width, spec.height))
        return "image too large (" + sizeText(spec.width, spec.height) + "; at most " +
               std::to_string(kMaxImagePixels) + " pixels)";
    return std::nullopt;
}

}  // namespace files

IoResult<LoadedImage> readImage(const fs::path &path) {
    const std::string name = path.string();
    using Result = IoResult<LoadedImage>;
    auto opened = openStored(path);
    if (!opened) return Result::failure(opened.error());
    OIIO::ImageInput *input = opened.value().get();

    const OIIO::ImageSpec spec = input->spec();
    if (auto problem = pictureProblem(spec)) return Result::failure(name + ": " + *problem);

    const std::uint64_t samples = std::uint64_t(spec.width) * std::uint64_t(spec.height) * spec.pixel_bytes(true);
    if (auto shortfall = memoryShortfall(spec.width, spec.height, samples))
        return Result::failure(name + ": " + *shortfall);

    LoadedImage loaded;
    const ChannelMap map = mapChannels(spec);
    try {
        loaded.image = RgbaImage(spec.width, spec.height);
    } catch (const std::bad_alloc &) {
        return Result::failure(name + ": not enough memory for an image of " + sizeText(spec.width, spec.height));
    }

    const bool bytes = allChannelsAre(spec, OIIO::TypeDesc::UINT8, map.readCount);
    bool read = false;
    try {
        read = bytes ? readPixels<std::uint8_t>(*input, spec, map, loaded.image)
                     : readPixels<float>(*input, spec, map, loaded.image);
    } catch (const std::bad_alloc &) {
        return Result::failure(name + ": not enough memory to read an image of " + sizeText(spec.width, spec.height));
    }
    if (!read) return Result::failure(name + ": cannot read the pixels (" + oneLine(input->geterror()) + ")");

    ImageFileInfo &info = loaded.info;
    info.fileFormat = input->format_name();
    info.channels = spec.nchannels;
    info.hasAlpha = map.alpha >= 0;
    info.alphaAssociated = alphaAssociated(spec);
    info.sampleType = spec.format.c_str();
    info.bitsPerSample = spec.get_int_attribute("oiio:BitsPerSample", int(spec.format.size() * 8));
    info.metadata = keptMetadata(spec);

    if (!bytes || info.bitsPerSample != 8)
        loaded.notices.push_back(name + ": converted from " + describeDepth(spec.format, info.bitsPerSample) +
                                 " to 8 bits per channel");
    if (map.grey)
        loaded.notices.push_back(name + ": greyscale expanded to RGB" + (info.hasAlpha ? "A" : ""));
    if (auto notice = droppedChannelsNotice(name, spec, map)) loaded.notices.push_back(*notice);
    if (input->seek_subimage(1, 0))
        loaded.notices.push_back(name + ": holds more than one image; only the first is used");
    (void)input->geterror();  // a failed probe for a second image is no error
    input->close();
    return loaded;
}

namespace files {

// Some writers do not report a failed write and leave a short or broken
// file; one that does not read back is not put in place. `pixelsToo`
// reads every row, for files a writer wrote itself; the header suffices
// for bytes written here.
std::optional<std::string> unreadableWhenWritten(const fs::path &path, bool pixelsToo) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path.string(), &config);
    if (!input) return "the written file does not read back: " + oneLine(OIIO::geterror());
    if (!pixelsToo) return std::nullopt;
    const OIIO::ImageSpec &spec = input->spec();
    std::vector<unsigned char> pixels(spec.image_bytes(true));
    if (!input->read_image(0, 0, 0, spec.nchannels, spec.format, pixels.data()))
        return "the written file does not read back: " + oneLine(input->geterror());
    return std::nullopt;
}

// Formats encoded in memory and written out here, so that every failure to
// write is seen: their libraries either miss one (PNG, Targa) or end the
// program on it (JPEG). Others are written by their library and read back
// in full; OpenImageIO's TIFF writer, for one, corrupts files with EXIF data
// in memory.
bool encodedInMemory(std::string_view format) {
    return format == "png" || format == "jpeg" || format == "targa" || format == "openexr";
}

// Limits past which a format's library ends the program instead of
// reporting an error.
std::optional<std::string> beyondFormatLimits(std::string_view format, const RgbaImage &image) {
    if (format == "jpeg" && (image.width > 65500 || image.height > 65500))
        return "cannot write (JPEG files are at most 65500 pixels wide and high)";
    return std::nullopt;
}

std::optional<std::string> unwritableReason(const fs::path &path, const RgbaImage &image) {
    if (image.width <= 0 || image.height <= 0) return "cannot write an image without pixels";
    if (tooLarge(image.width, image.height))
        return "cannot write an image that large (" + sizeText(image.width, image.height) + ")";
    if (image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
        return "cannot write: the pixel data do not match the size " + sizeText(image.width, image.height);
    return unwritableFolderReason(path);
}

std::optional<std::string> unwritableFolderReason(const fs::path &path) {
    std::error_code error;
    if (fs::is_directory(fs::status(path, error))) return "cannot write (is a folder)";
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::not_found)
        return "cannot write (no such folder " + folder.string() + ")";
    if (error) return "cannot write (" + error.message() + ")";
    if (!fs::is_directory(folderStatus)) return "cannot write (" + folder.string() + " is not a folder)";
    return std::nullopt;
}

void applyMetadata(const ImageMetadata &metadata, OIIO::ImageSpec &spec) {
    const KeptDescription *stored = KeptDescription::unwrap(metadata);
    if (!stored) return;
    const OIIO::ImageSpec *kept = &stored->spec;
    for (const auto &attribute : kept->extra_attribs) spec.attribute(attribute.name(), attribute.type(), attribute.data());
    if (kept->width == spec.width && kept->height == spec.height) {
        spec.x = kept->x;
        spec.y = kept->y;
        spec.full_x = kept->full_x;
        spec.full_y = kept->full_y;
        spec.full_width = kept->full_width;
        spec.full_height = kept->full_height;
    }
}

// Encodes the picture through `output`, opened on `fileName`.
bool encode(OIIO::ImageOutput &output, const std::string &fileName, const OIIO::ImageSpec &spec,
            const RgbaImage &image) {
    if (!output.open(fileName, spec)) return false;
    const OIIO::stride_t pixelStride = 4;  // RGBA in memory, whether or not alpha is written
    const bool written = output.write_image(OIIO::TypeDesc::UINT8, image.rgba.data(), pixelStride);
    return output.close() && written;
}

// The writer for the format the file name's extension names, or why there
// is none.
IoResult<std::unique_ptr<OIIO::ImageOutput>> writerFor(const fs::path &path) {
    auto output = OIIO::ImageOutput::create(path.string());
    if (output) return output;
    (void)OIIO::geterror();
    const std::string extension = path.extension().string();
    return IoResult<std::unique_ptr<OIIO::ImageOutput>>::failure(
        extension.empty() ? std::string("the name has no extension to choose a format by")
                          : "no image format has the extension " + extension);
}

// What the file will hold: 8 bits (half float for OpenEXR), alpha where
// asked for and the format has it, and the metadata carried over.
OIIO::ImageSpec outputSpec(const OIIO::ImageOutput &output, const RgbaImage &image, bool withAlpha,
                           const ImageMetadata &metadata) {
    const std::string_view format = output.format_name();
    OIIO::ImageSpec spec(image.width, image.height, withAlpha ? 4 : 3,
                         format == "openexr" ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::UINT8);
    applyMetadata(metadata, spec);
    if (withAlpha) {
        spec.alpha_channel = 3;
        // Most writers divide colour by alpha unless told it is unassociated
        // already; TIFF's only labels it, so there a premultiplied source
        // keeps its label.
        const KeptDescription *source = KeptDescription::unwrap(metadata);
        if (!(format == "tiff" && source && source->alphaAssociated)) spec.attribute("oiio:UnassociatedAlpha", 1);
    }
    return spec;
}

std::optional<std::string> writeThrough(AtomicFile &file, OIIO::ImageOutput &output, const WriteAll &writeAll,
                                        OIIO::Filesystem::IOVecOutput &memory, bool mayUseMemory) {
    const bool inMemory = mayUseMemory && encodedInMemory(output.format_name()) && output.supports("ioproxy");
    try {
        if (inMemory) {
            if (!output.set_ioproxy(&memory) || !writeAll(output, file.target().string())) return output.geterror();
            if (auto problem = file.write(memory.buffer())) return problem;
        } else {
            if (auto problem = file.lend()) return problem;
            if (!writeAll(output, file.temporary().string())) return output.geterror();
            if (auto problem = file.flush()) return problem;
        }
        if (auto problem = unreadableWhenWritten(file.temporary(), !inMemory)) return problem;
    } catch (const std::bad_alloc &) {
        return "not enough memory";
    }
    return file.commit();
}

std::string cannotWrite(const AtomicFile &file, const std::string &problem) {
    const std::string name = file.target().string();
    return name + ": cannot write (" + replaceAll(oneLine(problem), file.temporary().string(), name) + ")";
}

}  // namespace files

IoResult<Notices> writeImage(const fs::path &path, const RgbaImage &image, const WriteOptions &options) {
    const std::string name = path.string();
    using Result = IoResult<Notices>;
    if (auto reason = unwritableReason(path, image)) return Result::failure(name + ": " + *reason);
    OIIO::Filesystem::IOVecOutput memory;  // outlives the writer
    auto writer = writerFor(path);
    if (!writer) return Result::failure(name + ": cannot write (" + writer.error() + ")");
    OIIO::ImageOutput &output = *writer.value();
    const std::string format = output.format_name();
    if (auto reason = beyondFormatLimits(format, image)) return Result::failure(name + ": " + *reason);

    Notices notices;
    bool withAlpha = options.withAlpha;
    if (withAlpha && !output.supports("alpha")) {
        withAlpha = false;
        notices.push_back(name + ": the " + format + " format has no alpha channel; alpha not written");
    }
    const OIIO::ImageSpec spec = outputSpec(output, image, withAlpha, options.metadata);

    AtomicFile file(path);
    const auto writeAll = [&](OIIO::ImageOutput &out, const std::string &fileName) {
        return encode(out, fileName, spec, image);
    };
    if (auto problem = writeThrough(file, output, writeAll, memory)) return Result::failure(cannotWrite(file, *problem));
    return notices;
}

void writePicture(const fs::path &path, const RgbaImage &picture) {
    auto written = writeImage(path, picture, WriteOptions{false, {}});
    if (!written) throw std::runtime_error(written.error());
}

IoResult<Notices> writeImageLike(const fs::path &path, const RgbaImage &image, const ImageFileInfo &info) {
    return writeImage(path, image, WriteOptions{info.hasAlpha, info.metadata});
}

}  // namespace tavi::host

#include "host/files/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

#include "host/files/file_messages.h"
#include "host/files/formats/format_rules.h"
#include "host/files/input_checks.h"

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

namespace tavi::host::files {

bool tooLarge(long long width, long long height) { return width > kMaxImagePixels / std::max(height, 1LL); }

bool describesStorage(std::string_view name) {
    if (name.starts_with("oiio:")) return name != "oiio:ColorSpace" && name != "oiio:Gamma";
    return name.starts_with("thumbnail_");
}

std::optional<frame::SampleType> sampleTypeOf(OIIO::TypeDesc type) {
    if (type == OIIO::TypeDesc::UINT8) return frame::SampleType::uint8;
    if (type == OIIO::TypeDesc::UINT16) return frame::SampleType::uint16;
    if (type == OIIO::TypeDesc::UINT32) return frame::SampleType::uint32;
    if (type == OIIO::TypeDesc::INT8) return frame::SampleType::int8;
    if (type == OIIO::TypeDesc::INT16) return frame::SampleType::int16;
    if (type == OIIO::TypeDesc::INT32) return frame::SampleType::int32;
    if (type == OIIO::TypeDesc::HALF) return frame::SampleType::half;
    if (type == OIIO::TypeDesc::FLOAT) return frame::SampleType::float32;
    if (type == OIIO::TypeDesc::DOUBLE) return frame::SampleType::float64;
    return std::nullopt;
}

bool alphaAssociated(const OIIO::ImageSpec &spec) {
    return spec.alpha_channel >= 0 && spec.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0;
}

namespace {

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

}  // namespace

IoResult<std::unique_ptr<OIIO::ImageInput>> openStored(const fs::path &path, const ReaderSettings &settings) {
    using Result = IoResult<std::unique_ptr<OIIO::ImageInput>>;
    const std::string name = path.string();
    if (auto reason = irregularInput(path)) return Result::failure(name + ": " + *reason);
    if (auto reason = unreadableReason(path)) return Result::failure(name + ": " + *reason);
    quietLibrary();
    OIIO::ImageSpec config;
    if (settings.keepStraight) config.attribute("oiio:UnassociatedAlpha", 1);
    if (settings.rawColour) config.attribute("oiio:RawColor", 1);
    std::unique_ptr<OIIO::ImageInput> input;
    try {
        input = OIIO::ImageInput::open(name, &config);
    } catch (const std::bad_alloc &) {
        return Result::failure(damagedFile(path, "", "std::bad_alloc"));
    }
    if (!input) return Result::failure(damagedFile(path, "", OIIO::geterror()));
    return input;
}

std::vector<unsigned char> fileBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

}  // namespace tavi::host::files

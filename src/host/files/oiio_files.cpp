#include "host/files/oiio_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <sys/resource.h>

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

std::string libraryDetail(const std::string &text) {
    // Libraries repeat a complaint for every strip or row they meet it in.
    constexpr std::size_t kMostLines = 3, kMostBytes = 300;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
        start = end + 1;
    }
    std::string joined;
    for (std::size_t i = 0; i < lines.size() && i < kMostLines; ++i) joined += (i ? "; " : "") + lines[i];
    if (lines.size() > kMostLines) joined += "; ...";
    if (joined.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(joined[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
        joined = joined.substr(0, cut) + "...";
    }
    return joined.empty() ? "no reason given" : joined;
}

bool tooLarge(long long width, long long height) { return width > kMaxImagePixels / std::max(height, 1LL); }

std::string sizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height) + " pixels";
}

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

std::string formatTitle(std::string_view format) {
    static const std::pair<std::string_view, std::string_view> titles[] = {
        {"openexr", "OpenEXR"}, {"png", "PNG"}, {"tiff", "TIFF"}, {"targa", "Targa"},     {"jpeg", "JPEG"},
        {"bmp", "BMP"},         {"gif", "GIF"}, {"webp", "WebP"}, {"hdr", "Radiance HDR"}};
    for (const auto &[name, title] : titles)
        if (format == name) return std::string(title);
    std::string upper(format);
    for (char &c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string damagedFile(const fs::path &path, std::string format, const std::string &detail) {
    if (format.empty()) {
        // The reader OpenImageIO would have chosen, without opening the file.
        if (auto reader = OIIO::ImageInput::create(path.string(), false)) format = reader->format_name();
        (void)OIIO::geterror();
    }
    std::string words = libraryDetail(detail);
    if (words.find("bad_alloc") != std::string::npos)
        words = "it asks for more memory than any picture of its size needs";
    if (format.empty()) return path.string() + ": not an image file OpenImageIO can read (" + words + ")";
    return path.string() + ": damaged or unsupported " + formatTitle(format) + " file (" + words + ")";
}

namespace {

// OpenImageIO prints "OIIO DEBUG" lines of its own on stderr (an attribute
// a writer does not know, say); what matters reaches the user as notices.
void quietLibrary() {
    static const bool quiet = OIIO::attribute("debug", 0);
    (void)quiet;
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

std::optional<std::string> pictureProblem(const OIIO::ImageSpec &spec) {
    if (spec.deep) return "deep images (several samples per pixel) are not supported";
    if (spec.depth > 1) return "volume images are not supported";
    if (spec.width <= 0 || spec.height <= 0 || spec.nchannels <= 0) return "the image has no pixels";
    if (tooLarge(spec.width, spec.height))
        return "image too large (" + sizeText(spec.width, spec.height) + "; at most " +
               std::to_string(kMaxImagePixels) + " pixels)";
    return std::nullopt;
}

IoResult<std::unique_ptr<OIIO::ImageOutput>> writerFor(const fs::path &path) {
    quietLibrary();
    auto output = OIIO::ImageOutput::create(path.string());
    if (output) return output;
    (void)OIIO::geterror();
    const std::string extension = path.extension().string();
    return IoResult<std::unique_ptr<OIIO::ImageOutput>>::failure(
        extension.empty() ? std::string("the name has no extension to choose a format by")
                          : "no image format has the extension " + extension);
}

std::optional<std::string> unwritableFolderReason(const fs::path &path) {
    std::error_code error;
    if (fs::is_directory(fs::status(path, error))) return "is a folder";
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const fs::file_status folderStatus = fs::status(folder, error);
    if (folderStatus.type() == fs::file_type::not_found) return "no such folder " + folder.string();
    if (error) return error.message();
    if (!fs::is_directory(folderStatus)) return folder.string() + " is not a folder";
    return std::nullopt;
}

namespace {

// Some writers do not report a failed write and leave a short or broken
// file; one that does not read back is not put in place. `pixelsToo`
// reads every row, for files a writer wrote itself; the header suffices
// for bytes written here.
std::optional<std::string> unreadableWhenWritten(const fs::path &path, bool pixelsToo) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::open(path.string(), &config);
    const std::string incomplete =
        "the written file is incomplete or damaged; the disk may be full or a file-size limit reached: ";
    if (!input) return incomplete + libraryDetail(OIIO::geterror());
    if (!pixelsToo) return std::nullopt;
    for (int part = 0; input->seek_subimage(part, 0); ++part)
        for (int level = 0; input->seek_subimage(part, level); ++level) {
            const OIIO::ImageSpec &spec = input->spec();
            std::vector<unsigned char> pixels(spec.image_bytes(true));
            if (!input->read_image(part, level, 0, spec.nchannels, OIIO::TypeDesc::UNKNOWN, pixels.data()))
                return incomplete + libraryDetail(input->geterror());
        }
    (void)input->geterror();
    return std::nullopt;
}

// Why a file being written stopped short, where the file system knows:
// it reached the process's file-size limit, or the disk is (all but) full.
std::optional<std::string> outOfRoom(const fs::path &written) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(written, error);
    struct rlimit limit {};
    if (!error && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size >= limit.rlim_cur)
        return std::string(std::strerror(EFBIG));
    const fs::space_info space =
        fs::space(written.parent_path().empty() ? fs::path(".") : written.parent_path(), error);
    if (!error && space.available < (1u << 20)) return std::string(std::strerror(ENOSPC));
    return std::nullopt;
}

// Formats encoded in memory and written out here, so that every failure to
// write is seen: their libraries either miss one (PNG, Targa) or end the
// program on it (JPEG). Others are written by their library and read back
// in full.
bool encodedInMemory(std::string_view format) {
    return format == "png" || format == "jpeg" || format == "targa" || format == "openexr";
}

}  // namespace

std::optional<std::string> writeThrough(AtomicFile &file, OIIO::ImageOutput &output, const WriteAll &writeAll,
                                        OIIO::Filesystem::IOVecOutput &memory, bool mayUseMemory,
                                        const AfterWriting &after) {
    const bool inMemory = mayUseMemory && encodedInMemory(output.format_name()) && output.supports("ioproxy");
    try {
        if (inMemory) {
            if (!output.set_ioproxy(&memory) || !writeAll(output, file.target().string())) return output.geterror();
            if (after.bytes)
                if (auto problem = after.bytes(memory.buffer())) return problem;
            if (auto problem = file.write(memory.buffer())) return problem;
        } else {
            // Libraries that write files themselves word a full disk as a
            // failed write; the file system says why.
            const auto why = [&](const std::string &problem) { return outOfRoom(file.temporary()).value_or(problem); };
            if (auto problem = file.lend()) return problem;
            if (!writeAll(output, file.temporary().string())) return why(output.geterror());
            if (after.file)
                if (auto problem = after.file(file.temporary())) return why(*problem);
            if (auto problem = file.flush()) return problem;
            if (auto problem = unreadableWhenWritten(file.temporary(), true)) return why(*problem);
            return file.commit();
        }
        if (auto problem = unreadableWhenWritten(file.temporary(), false)) return problem;
    } catch (const std::bad_alloc &) {
        return "not enough memory";
    }
    return file.commit();
}

namespace {

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The system's reasons in words a user acts on; the reason itself follows.
std::string inOurWords(const std::string &problem) {
    static const std::pair<std::string_view, std::string_view> known[] = {
        {"No space left on device", "the disk is full"},
        {"File too large", "the file would pass a file-size limit"},
        {"Disk quota exceeded", "the disk quota is used up"},
        {"Permission denied", "no permission to write there"},
        {"Read-only file system", "the file system is read-only"},
    };
    for (const auto &[reason, words] : known)
        if (problem.find(reason) != std::string::npos) return std::string(words) + " (" + problem + ")";
    return problem;
}

}  // namespace

std::string cannotWrite(const AtomicFile &file, const std::string &problem, const fs::path &source) {
    const std::string name = file.target().string();
    const std::string reason = inOurWords(libraryDetail(replaceAll(problem, file.temporary().string(), name)));
    if (source.empty() || source == file.target()) return name + ": cannot write (" + reason + ")";
    return source.string() + ": cannot write " + name + " (" + reason + ")";
}

}  // namespace tavi::host::files

#include "host/files/careful_write.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include <sys/resource.h>

#include "host/files/file_messages.h"
#include "host/files/formats/format_rules.h"

namespace fs = std::filesystem;

namespace tavi::host::files {

namespace {

// The format whose reader takes files of this extension (".psd"), from
// OpenImageIO's list of every format's extensions.
std::optional<std::string> readerOfExtension(std::string extension) {
    if (extension.size() < 2) return std::nullopt;
    for (char &c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string wanted = extension.substr(1);
    std::string list;
    OIIO::getattribute("extension_list", list);
    // "format:ext,ext;format:ext..."
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = std::min(list.find(';', at), list.size());
        const std::string entry = list.substr(at, end - at);
        const std::size_t colon = entry.find(':');
        std::size_t from = colon + 1;
        while (colon != std::string::npos && from <= entry.size()) {
            const std::size_t comma = std::min(entry.find(',', from), entry.size());
            if (entry.compare(from, comma - from, wanted) == 0) return entry.substr(0, colon);
            from = comma + 1;
        }
        at = end + 1;
    }
    return std::nullopt;
}

}  // namespace

IoResult<std::unique_ptr<OIIO::ImageOutput>> writerFor(const fs::path &path) {
    quietLibrary();
    auto output = OIIO::ImageOutput::create(path.string());
    if (output) return output;
    (void)OIIO::geterror();
    const std::string extension = path.extension().string();
    if (readerOfExtension(extension))
        return IoResult<std::unique_ptr<OIIO::ImageOutput>>::failure(
            "OpenImageIO reads " + extension + " files but writes none; write TIFF, or OpenEXR for float");
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
    // Samples as stored: a conversion (CMYK to RGB) is not what is checked,
    // and OpenImageIO's own can take the program down.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    config.attribute("oiio:RawColor", 1);
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

}  // namespace

std::optional<std::string> writeThrough(AtomicFile &file, OIIO::ImageOutput &output, const WriteAll &writeAll,
                                        OIIO::Filesystem::IOVecOutput &memory, bool mayUseMemory,
                                        const AfterWriting &after) {
    const bool inMemory =
        mayUseMemory && rulesFor(output.format_name()).encodedInMemory() && output.supports("ioproxy");
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

}  // namespace tavi::host::files

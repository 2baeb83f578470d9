// What the image-file code shares about OpenImageIO: messages, checks
// before reading and writing, and the careful write. Only the imaging
// part's own files include this; nothing above it sees OpenImageIO.
#pragma once

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imageio.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/base/atomic_file.h"
#include "host/files/image_io.h"
#include "host/frame/render_frame.h"

namespace tavi::host::files {

namespace OIIO = OIIO_NAMESPACE;
using Notices = std::vector<std::string>;

// OpenImageIO's messages can span lines; ours stay on one.
std::string oneLine(std::string text);
// A library's message for ours: on one line, repeats dropped, cut short.
std::string libraryDetail(const std::string &text);
std::string sizeText(long long width, long long height);
bool tooLarge(long long width, long long height);

// Attributes that describe how a reader stored pixels, not the picture.
bool describesStorage(std::string_view name);

// The frame's sample type for a type OpenImageIO reads, if there is one.
std::optional<frame::SampleType> sampleTypeOf(OIIO::TypeDesc type);

// How a file is opened for reading.
struct ReaderSettings {
    // Colour as stored, never premultiplied on the way in.
    bool keepStraight = true;
    // CMYK and CIELAB as stored, not converted to RGB.
    bool rawColour = false;
};

// Opens an image file for reading after refusing what is not a regular
// file or cannot be read. Returns the reader or the message, which names
// the file and, where a reader takes the file, says it is damaged.
IoResult<std::unique_ptr<OIIO::ImageInput>> openStored(const std::filesystem::path &path,
                                                       const ReaderSettings &settings = {});

// "path: damaged or unsupported OpenEXR file (detail)"; `format` is the
// reader's name, or empty to find the reader the file's name and first
// bytes choose.
std::string damagedFile(const std::filesystem::path &path, std::string format, const std::string &detail);

// The name people know a reader's format by: "OpenEXR", "PNG", "TIFF".
std::string formatTitle(std::string_view format);

// Why the pictures of a subimage cannot be taken: deep or volume data, no
// pixels, too many pixels.
std::optional<std::string> pictureProblem(const OIIO::ImageSpec &spec);

// Readers asked to keep alpha unassociated say so when the file's is.
bool alphaAssociated(const OIIO::ImageSpec &spec);

// The writer for the format the file name's extension names, or why there
// is none.
IoResult<std::unique_ptr<OIIO::ImageOutput>> writerFor(const std::filesystem::path &path);

// Why nothing can be written at `path` ("is a folder", "no such folder
// out").
std::optional<std::string> unwritableFolderReason(const std::filesystem::path &path);

// Opens, writes every subimage and closes, through `output` on `fileName`.
using WriteAll = std::function<bool(OIIO::ImageOutput &output, const std::string &fileName)>;

// Changes made to a file after its writer is done, for what the writer
// cannot say itself: to the encoded bytes of a format written in memory,
// or to the written file. Each returns the problem.
struct AfterWriting {
    std::function<std::optional<std::string>(std::vector<unsigned char> &encoded)> bytes;
    std::function<std::optional<std::string>(const std::filesystem::path &written)> file;
};

// Writes the file into `file`'s temporary (encoded in memory for formats
// whose libraries miss or abort on write errors), checks that it reads
// back, and commits it. `memory` must outlive `output`. Returns the problem.
// OpenEXR's multi-part files cannot be encoded in memory: `mayUseMemory`
// false writes them to the temporary file directly.
std::optional<std::string> writeThrough(AtomicFile &file, OIIO::ImageOutput &output, const WriteAll &writeAll,
                                        OIIO::Filesystem::IOVecOutput &memory, bool mayUseMemory = true,
                                        const AfterWriting &after = {});

// "source: cannot write target (problem)", or without a source
// "target: cannot write (problem)"; the temporary's name replaced, the
// system's reasons put in words a user acts on.
std::string cannotWrite(const AtomicFile &file, const std::string &problem, const std::filesystem::path &source = {});

}  // namespace tavi::host::files

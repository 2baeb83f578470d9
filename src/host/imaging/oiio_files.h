// What the image-file code shares about OpenImageIO: messages, checks
// before reading and writing, and the careful write. Only the imaging
// part's own files include this; nothing above it sees OpenImageIO.
#pragma once

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/base/atomic_file.h"
#include "host/imaging/image_io.h"

namespace tavi::host::files {

namespace OIIO = OIIO_NAMESPACE;
using Notices = std::vector<std::string>;

// OpenImageIO's messages can span lines; ours stay on one.
std::string oneLine(std::string text);
std::string sizeText(long long width, long long height);
bool tooLarge(long long width, long long height);

// Attributes that describe how a reader stored pixels, not the picture.
bool describesStorage(std::string_view name);

// Opens an image file for reading with its samples as stored (never
// premultiplied on the way in), after refusing what is not a regular file
// or cannot be read. Returns the reader or the message, which names the file.
IoResult<std::unique_ptr<OIIO::ImageInput>> openStored(const std::filesystem::path &path);

// Why the pictures of a subimage cannot be taken: deep or volume data, no
// pixels, too many pixels.
std::optional<std::string> pictureProblem(const OIIO::ImageSpec &spec);

// Readers asked to keep alpha unassociated say so when the file's is.
bool alphaAssociated(const OIIO::ImageSpec &spec);

// The writer for the format the file name's extension names, or why there
// is none.
IoResult<std::unique_ptr<OIIO::ImageOutput>> writerFor(const std::filesystem::path &path);

// Why nothing can be written at `path` (a folder, a missing folder).
std::optional<std::string> unwritableFolderReason(const std::filesystem::path &path);

// Opens, writes every subimage and closes, through `output` on `fileName`.
using WriteAll = std::function<bool(OIIO::ImageOutput &output, const std::string &fileName)>;

// Writes the file into `file`'s temporary (encoded in memory for formats
// whose libraries miss or abort on write errors), checks that it reads
// back, and commits it. `memory` must outlive `output`. Returns the problem.
// OpenEXR's multi-part files cannot be encoded in memory: `inMemory` false
// writes them to the temporary file directly.
std::optional<std::string> writeThrough(AtomicFile &file, OIIO::ImageOutput &output, const WriteAll &writeAll,
                                        OIIO::Filesystem::IOVecOutput &memory, bool inMemory = true);

// "target: cannot write (problem)", with the temporary's name replaced.
std::string cannotWrite(const AtomicFile &file, const std::string &problem);

}  // namespace tavi::host::files

// The careful write of an image file: the writer its name chooses, the
// file encoded into a temporary (in memory where its library would miss or
// abort on a write error), read back, changed where the writer cannot say
// everything, and only then put in place.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/base/atomic_file.h"
#include "host/files/image_io.h"
#include "host/files/oiio.h"

namespace tavi::host::files {

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

}  // namespace tavi::host::files

// Messages about files in our words: a library's detail on one line,
// damaged files named with their format, a failed write naming the input
// and the output and saying why in words a user acts on.
#pragma once

#include <filesystem>
#include <string>

#include "host/base/atomic_file.h"

namespace tavi::host::files {

// OpenImageIO's messages can span lines; ours stay on one.
std::string oneLine(std::string text);
// A library's message for ours: on one line, repeats dropped, cut short.
std::string libraryDetail(const std::string &text);
std::string sizeText(long long width, long long height);

// "path: damaged or unsupported OpenEXR file (detail)"; `format` is the
// reader's name, or empty to find the reader the file's name and first
// bytes choose.
std::string damagedFile(const std::filesystem::path &path, std::string format, const std::string &detail);

// "source: cannot write target (problem)", or without a source
// "target: cannot write (problem)"; the temporary's name replaced, the
// system's reasons put in words a user acts on.
std::string cannotWrite(const AtomicFile &file, const std::string &problem, const std::filesystem::path &source = {});

}  // namespace tavi::host::files

// Checks made on an image file before it is read: that it is a file at
// all, and that the machine has the memory the frame will take.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tavi::host {

// Why `path` is not read: it names a FIFO, a device or a socket, which
// would block or never end while an image library probes it. Looked at
// before anything opens it. Nothing for regular files, folders and missing
// paths, which the reader words itself.
std::optional<std::string> irregularInput(const std::filesystem::path &path);

// The bytes a width x height frame takes at most on its way through a run:
// while it is read, its 8-bit RGBA picture and the reader's own copy of
// the file's samples (`channels` of `bytesPerSample` each; the PNG reader,
// for one, holds the whole image); while it is filtered, the picture, the
// frame planes the host hands the filter and the filter's own planes; while
// it is written, the picture and its encoded bytes. The filter's planes of
// the worker's previous frame are held until the next frame's are made.
std::uint64_t frameBytesNeeded(long long width, long long height, int channels, int bytesPerSample);

// "not enough memory for a W x H image (needs N MiB)".
std::string notEnoughMemory(long long width, long long height, std::uint64_t bytes);

// Nothing when frameBytesNeeded can be allocated right now (tried, and
// given back at once); else notEnoughMemory's words.
std::optional<std::string> memoryShortfall(long long width, long long height, int channels, int bytesPerSample);

}  // namespace tavi::host

// Checks made on an image file before it is read: that it is a file at
// all, and that the machine has the memory the frame will take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tavi::host::files {

// Why `path` is not read: it names a FIFO, a device or a socket, which
// would block or never end while an image library probes it. Looked at
// before anything opens it. Nothing for regular files, folders and missing
// paths, which the reader words itself.
std::optional<std::string> irregularInput(const std::filesystem::path &path);

// The bytes a frame takes at most on its way through a run, given the
// size of the part the filter treats, the bytes the file's samples take as
// held in memory (`storedBytes`, every part and channel), and how many
// filters of the scene's chain run on it, each of which keeps planes of 4
// bytes a pixel from one frame to the next:
// - read: the samples, the reader's own copy of them (the PNG reader holds
//   the whole image), and the filters' planes of the worker's previous
//   frame;
// - filtered: the samples, 4 bytes a pixel each for the 8-bit RGBA frame
//   handed to the filters, the copy they write into and the frame planes
//   the host hands them, and the filters' planes;
// - written: the samples, their encoded bytes (about as many at most) and
//   the filters' planes.
std::uint64_t frameBytesNeeded(long long width, long long height, std::uint64_t storedBytes, std::size_t filters = 1);

// "not enough memory for a W x H image (needs N MiB)".
std::string notEnoughMemory(long long width, long long height, std::uint64_t bytes);

// Nothing when frameBytesNeeded fits in the memory this process can have
// now (host/base/process_limits.h: the system's and its cgroups') and in
// its address space (tried, and given back at once); else
// notEnoughMemory's words.
std::optional<std::string> memoryShortfall(long long width, long long height, std::uint64_t storedBytes,
                                           std::size_t filters = 1);

}  // namespace tavi::host::files

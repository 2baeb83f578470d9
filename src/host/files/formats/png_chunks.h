// A PNG file's chunks, and carrying a source file's ancillary chunks into a
// new encoding of its picture. OpenImageIO's PNG writer keeps little of
// what a PNG file says besides its pixels (colour chunks such as cHRM,
// cICP and sBIT, bKGD, EXIF, unknown chunks); the source's own chunks,
// where they still hold, say it exactly.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavi::host::files {

struct PngChunk {
    std::string type;                 // "IHDR", "tEXt", ...
    std::vector<unsigned char> data;  // without length and CRC
};

// The chunks of an encoded PNG file, or nothing when it is not one.
std::optional<std::vector<PngChunk>> readPngChunks(std::span<const unsigned char> file);

// The file of these chunks, with their lengths and CRCs.
std::vector<unsigned char> writePngChunks(const std::vector<PngChunk> &chunks);

// Replaces the ancillary chunks of `encoded` (a PNG file just written from
// `source`'s picture) with those of `source` that still hold for it: a
// background or significant-bits chunk that no longer fits the new colour
// type is made to fit or left out, palette-only chunks go with the palette.
// Returns notices for what was left out or widened (palette, bit depth,
// transparency key, interlacing), each a sentence without the file name;
// nothing when either is not a PNG file.
std::vector<std::string> carryPngChunks(std::span<const unsigned char> source, std::vector<unsigned char> &encoded);

}  // namespace tavi::host::files

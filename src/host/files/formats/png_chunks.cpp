#include "host/files/formats/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace tavi::host::files {

namespace {

constexpr std::array<unsigned char, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian32(const unsigned char *bytes) {
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
}

void putBigEndian32(std::vector<unsigned char> &out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

// What IHDR says.
struct Header {
    int depth = 8;
    int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced = false;
};

std::optional<Header> headerOf(const std::vector<PngChunk> &chunks) {
    if (chunks.empty() || chunks.front().type != "IHDR" || chunks.front().data.size() != 13) return std::nullopt;
    const std::vector<unsigned char> &d = chunks.front().data;
    return Header{d[8], d[9], d[12] != 0};
}

const PngChunk *find(const std::vector<PngChunk> &chunks, const std::string &type) {
    for (const PngChunk &chunk : chunks)
        if (chunk.type == type) return &chunk;
    return nullptr;
}

bool ancillary(const std::string &type) { return std::islower(static_cast<unsigned char>(type[0])) != 0; }

// Chunks that say something of the picture which still holds when its
// pixels change, whatever the colour type.
bool holdsForAnyPixels(const std::string &type) {
    static const char *const kinds[] = {"gAMA", "cHRM", "iCCP", "sRGB", "cICP", "mDCv", "cLLi", "tEXt", "zTXt",
                                        "iTXt", "eXIf", "pHYs", "oFFs", "pCAL", "sCAL", "tIME", "sTER", "sPLT"};
    return std::any_of(std::begin(kinds), std::end(kinds), [&](const char *kind) { return type == kind; });
}

// Bytes of an sBIT chunk for a colour type.
std::size_t significantBitsBytes(int colourType) {
    switch (colourType) {
    case 0: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 3;
    }
}

// A background colour for the new colour type, or nothing when it cannot
// be said in it.
std::optional<std::vector<unsigned char>> background(const PngChunk &bkgd, const Header &from, const Header &to,
                                                     const PngChunk *palette) {
    const bool fromGrey = from.colourType == 0 || from.colourType == 4;
    const bool toGrey = to.colourType == 0 || to.colourType == 4;
    if (from.colourType == 3) {
        if (toGrey || to.colourType == 3 || !palette || bkgd.data.size() != 1) return std::nullopt;
        const std::size_t at = std::size_t(bkgd.data[0]) * 3;
        if (at + 3 > palette->data.size()) return std::nullopt;
        std::vector<unsigned char> rgb;
        for (int c = 0; c < 3; ++c) {
            const unsigned value = to.depth == 16 ? palette->data[at + c] * 257u : palette->data[at + c];
            rgb.push_back(static_cast<unsigned char>(value >> 8));
            rgb.push_back(static_cast<unsigned char>(value & 0xFF));
        }
        return rgb;
    }
    if (fromGrey != toGrey || to.colourType == 3) return std::nullopt;
    if (from.depth == to.depth) return bkgd.data;
    // Grey of 1, 2 or 4 bits widened to 8.
    if (!fromGrey || bkgd.data.size() != 2 || from.depth >= 8 || to.depth != 8) return std::nullopt;
    const unsigned level = (unsigned(bkgd.data[0]) << 8 | bkgd.data[1]) * 255u / ((1u << from.depth) - 1);
    return std::vector<unsigned char>{0, static_cast<unsigned char>(level)};
}

}  // namespace

std::optional<std::vector<PngChunk>> readPngChunks(std::span<const unsigned char> file) {
    if (file.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), file.begin()))
        return std::nullopt;
    std::vector<PngChunk> chunks;
    std::size_t at = kSignature.size();
    while (at + 12 <= file.size()) {
        const std::uint32_t length = bigEndian32(&file[at]);
        if (length > file.size() - at - 12) return std::nullopt;
        PngChunk chunk;
        chunk.type.assign(reinterpret_cast<const char *>(&file[at + 4]), 4);
        chunk.data.assign(file.begin() + std::ptrdiff_t(at + 8), file.begin() + std::ptrdiff_t(at + 8 + length));
        chunks.push_back(std::move(chunk));
        at += 12 + length;
        if (chunks.back().type == "IEND") return chunks;
    }
    return std::nullopt;
}

std::vector<unsigned char> writePngChunks(const std::vector<PngChunk> &chunks) {
    std::vector<unsigned char> out(kSignature.begin(), kSignature.end());
    for (const PngChunk &chunk : chunks) {
        putBigEndian32(out, std::uint32_t(chunk.data.size()));
        const std::size_t typeAt = out.size();
        out.insert(out.end(), chunk.type.begin(), chunk.type.end());
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
        putBigEndian32(out, std::uint32_t(crc32(0L, &out[typeAt], uInt(out.size() - typeAt))));
    }
    return out;
}

namespace {

// What the new file holds that the source's chunks cannot say any more.
std::vector<std::string> widenings(const Header &was, const Header &now, const std::vector<PngChunk> &from) {
    std::vector<std::string> notices;
    const bool alphaNow = now.colourType == 4 || now.colourType == 6;
    if (was.colourType == 3 && now.colourType != 3)
        notices.push_back(std::string("its palette cannot hold the blended colours; written as ") +
                          std::to_string(now.depth) + "-bit " + (alphaNow ? "RGBA" : "RGB"));
    else if (was.depth < 8 && now.depth >= 8)
        notices.push_back("its " + std::to_string(was.depth) + "-bit grey cannot hold the blended levels; written as " +
                          std::to_string(now.depth) + "-bit grey");
    if (was.colourType != 3 && find(from, "tRNS") && alphaNow)
        notices.push_back("its transparent colour (tRNS) becomes an alpha channel, which the blended edges need");
    if (was.interlaced && !now.interlaced) notices.push_back("written without its Adam7 interlacing");
    return notices;
}

// An ancillary chunk of the source as it holds for the new file, or
// nothing where it no longer does.
std::optional<std::vector<unsigned char>> carriedData(const PngChunk &chunk, const Header &was, const Header &now,
                                                      const PngChunk *palette) {
    if (chunk.type == "bKGD") return background(chunk, was, now, palette);
    if (chunk.type == "sBIT")
        return chunk.data.size() == significantBitsBytes(now.colourType) ? std::optional(chunk.data) : std::nullopt;
    if (chunk.type == "hIST") return now.colourType == 3 ? std::optional(chunk.data) : std::nullopt;
    // Known to hold, or marked safe to copy into a changed picture.
    if (holdsForAnyPixels(chunk.type) || std::islower(static_cast<unsigned char>(chunk.type[3]))) return chunk.data;
    return std::nullopt;
}

}  // namespace

std::vector<std::string> carryPngChunks(std::span<const unsigned char> source, std::vector<unsigned char> &encoded) {
    const std::optional<std::vector<PngChunk>> from = readPngChunks(source);
    const std::optional<std::vector<PngChunk>> written = readPngChunks(encoded);
    if (!from || !written) return {};
    const std::optional<Header> was = headerOf(*from), now = headerOf(*written);
    if (!was || !now) return {};
    std::vector<std::string> notices = widenings(*was, *now, *from);

    // The source's ancillary chunks, before or after its image data.
    std::vector<PngChunk> before, after;
    bool pastImage = false;
    const PngChunk *palette = find(*from, "PLTE");
    for (const PngChunk &chunk : *from) {
        if (chunk.type == "IDAT") pastImage = true;
        if (!ancillary(chunk.type) || chunk.type == "tRNS") continue;
        std::optional<std::vector<unsigned char>> data = carriedData(chunk, *was, *now, palette);
        if (!data) {
            notices.push_back("its " + chunk.type + " chunk no longer holds and is left out");
            continue;
        }
        (pastImage ? after : before).push_back(PngChunk{chunk.type, std::move(*data)});
    }

    // The new file's own critical chunks around them; its ancillary chunks
    // said less of the same source.
    std::vector<PngChunk> carried;
    carried.push_back(written->front());
    carried.insert(carried.end(), before.begin(), before.end());
    for (const PngChunk &chunk : *written)
        if (!ancillary(chunk.type) && chunk.type != "IHDR" && chunk.type != "IEND") carried.push_back(chunk);
    carried.insert(carried.end(), after.begin(), after.end());
    carried.push_back(written->back());
    encoded = writePngChunks(carried);
    return notices;
}

}  // namespace tavi::host::files

#include "host/files/formats/targa_extension.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace tavi::host::files {

namespace {

// A version 2 file ends in a 26-byte footer: the extension area's offset,
// the developer area's, and a signature. In the extension area, the
// postage stamp's offset is at byte 486 and the alpha type at byte 494.
constexpr std::size_t kFooterBytes = 26;
constexpr char kSignature[] = "TRUEVISION-XFILE.";
constexpr std::size_t kPostageStampAt = 486;
constexpr std::size_t kAlphaTypeAt = 494;

std::uint32_t littleEndian32(const unsigned char *bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// Where the extension area starts in a file of `size` bytes ending in
// `footer`, or nothing.
std::optional<std::size_t> extensionArea(const unsigned char *footer, std::size_t size) {
    if (size < kFooterBytes || std::memcmp(footer + 8, kSignature, sizeof kSignature - 1) != 0) return std::nullopt;
    const std::uint32_t extension = littleEndian32(footer);
    if (extension == 0 || std::size_t(extension) + kAlphaTypeAt >= size - kFooterBytes) return std::nullopt;
    return std::size_t(extension);
}

std::optional<std::size_t> extensionArea(std::span<const unsigned char> file) {
    if (file.size() < kFooterBytes) return std::nullopt;
    return extensionArea(file.data() + file.size() - kFooterBytes, file.size());
}

// The postage stamp's bytes: its width and height, then its pixels, whose
// size the header's pixel depth gives.
std::optional<std::span<const unsigned char>> postageStamp(std::span<const unsigned char> file) {
    const std::optional<std::size_t> extension = extensionArea(file);
    if (!extension || file.size() < 18) return std::nullopt;
    const std::size_t at = littleEndian32(&file[*extension + kPostageStampAt]);
    if (at == 0 || at + 2 > file.size()) return std::nullopt;
    const std::size_t bytes = 2 + std::size_t(file[at]) * file[at + 1] * ((file[16] + 7) / 8);
    if (at + bytes > file.size()) return std::nullopt;
    return file.subspan(at, bytes);
}

}  // namespace

int targaAlphaType(const std::filesystem::path &file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return -1;
    const std::size_t size = std::size_t(in.tellg());
    if (size < kFooterBytes) return -1;
    unsigned char footer[kFooterBytes];
    in.seekg(std::streamoff(size - kFooterBytes));
    if (!in.read(reinterpret_cast<char *>(footer), kFooterBytes)) return -1;
    const std::optional<std::size_t> at = extensionArea(footer, size);
    if (!at) return -1;
    in.seekg(std::streamoff(*at + kAlphaTypeAt));
    char type = 0;
    if (!in.get(type)) return -1;
    return static_cast<unsigned char>(type);
}

std::optional<std::string> setTargaAlphaType(std::vector<unsigned char> &encoded, int alphaType) {
    const std::optional<std::size_t> at = extensionArea(encoded);
    if (!at) return "the Targa writer wrote no extension area to give the alpha type in";
    encoded[*at + kAlphaTypeAt] = static_cast<unsigned char>(alphaType);
    return std::nullopt;
}

void copyTargaPostageStamp(std::span<const unsigned char> source, std::vector<unsigned char> &encoded) {
    const auto from = postageStamp(source);
    const auto to = postageStamp(encoded);
    if (!from || !to || from->size() != to->size()) return;
    std::copy(from->begin(), from->end(), encoded.begin() + (to->data() - encoded.data()));
}

}  // namespace tavi::host::files

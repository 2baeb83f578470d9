#include "host/imaging/targa_alpha.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace tavi::host {

namespace {

// A version 2 file ends in a 26-byte footer: the extension area's offset,
// the developer area's, and a signature. The alpha type is byte 494 of
// the extension area.
constexpr std::size_t kFooterBytes = 26;
constexpr char kSignature[] = "TRUEVISION-XFILE.";
constexpr std::size_t kAlphaTypeAt = 494;

std::uint32_t littleEndian32(const unsigned char *bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// Where the alpha type byte is in a file of `size` bytes ending in
// `footer`, or nothing.
std::optional<std::size_t> alphaTypeOffset(const unsigned char *footer, std::size_t size) {
    if (size < kFooterBytes || std::memcmp(footer + 8, kSignature, sizeof kSignature - 1) != 0) return std::nullopt;
    const std::uint32_t extension = littleEndian32(footer);
    if (extension == 0 || std::size_t(extension) + kAlphaTypeAt >= size - kFooterBytes) return std::nullopt;
    return std::size_t(extension) + kAlphaTypeAt;
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
    const std::optional<std::size_t> at = alphaTypeOffset(footer, size);
    if (!at) return -1;
    in.seekg(std::streamoff(*at));
    char type = 0;
    if (!in.get(type)) return -1;
    return static_cast<unsigned char>(type);
}

std::optional<std::string> setTargaAlphaType(std::vector<unsigned char> &encoded, int alphaType) {
    if (encoded.size() < kFooterBytes) return "the Targa writer wrote no extension area to give the alpha type in";
    const std::optional<std::size_t> at = alphaTypeOffset(encoded.data() + encoded.size() - kFooterBytes, encoded.size());
    if (!at) return "the Targa writer wrote no extension area to give the alpha type in";
    encoded[*at] = static_cast<unsigned char>(alphaType);
    return std::nullopt;
}

}  // namespace tavi::host

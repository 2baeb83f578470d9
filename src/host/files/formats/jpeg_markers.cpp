#include "host/files/formats/jpeg_markers.h"

#include "host/files/file_reading.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace tavi::host::files {

namespace {

// Walks the markers after the start of image, handing each segment's
// marker and payload to `visit`, until visit says stop or the end-of-image
// marker comes. Returns whether that marker came.
bool walkMarkers(
    const std::vector<unsigned char> &bytes,
    const std::function<bool(unsigned char marker, const unsigned char *payload, std::size_t size)> &visit) {
    std::size_t at = 2;
    while (at + 1 < bytes.size()) {
        if (bytes[at] != 0xFF) return false;
        const unsigned char marker = bytes[at + 1];
        if (marker == 0xD9) return true;  // end of image
        if (marker == 0xFF) {             // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        if (at + 3 >= bytes.size()) return false;
        const std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length < 2 || at + 2 + length > bytes.size()) return false;
        if (!visit(marker, &bytes[at + 4], length - 2)) return false;
        at += 2 + length;
        if (marker != 0xDA) continue;
        // Entropy-coded data after a start of scan, up to the next marker
        // (0xFF 0x00 is a stuffed byte, 0xFF 0xD0-0xD7 a restart).
        while (at + 1 < bytes.size() &&
               !(bytes[at] == 0xFF && bytes[at + 1] != 0x00 && !(bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7)))
            ++at;
    }
    return false;
}

// The IJG luminance table for quality 50, row by row (ITU T.81, K.1).
constexpr std::array<int, 64> kLuminance = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// Where each of a file's table entries, stored in zigzag order, lies in a
// row-by-row table.
constexpr std::array<int, 64> kZigzag = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                         12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                         35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                         58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The table libjpeg's quality setting makes from the base table, in the
// order the file stores it.
std::array<int, 64> scaledTable(int quality) {
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    std::array<int, 64> table{};
    for (std::size_t i = 0; i < 64; ++i)
        table[i] = std::clamp((kLuminance[std::size_t(kZigzag[i])] * scale + 50) / 100, 1, 255);
    return table;
}

}  // namespace

bool jpegIsWhole(const std::filesystem::path &file) {
    return walkMarkers(fileBytes(file), [](unsigned char, const unsigned char *, std::size_t) { return true; });
}

std::optional<int> jpegQuality(const std::filesystem::path &file) {
    std::optional<std::array<int, 64>> luminance;
    walkMarkers(fileBytes(file), [&](unsigned char marker, const unsigned char *payload, std::size_t size) {
        if (marker != 0xDB) return true;  // define quantisation tables
        for (std::size_t at = 0; at < size;) {
            const bool wide = (payload[at] >> 4) != 0;
            const int id = payload[at] & 0x0F;
            const std::size_t bytes = 1 + 64 * (wide ? 2 : 1);
            if (at + bytes > size) return false;
            if (id == 0) {
                std::array<int, 64> table{};
                for (std::size_t i = 0; i < 64; ++i)
                    table[i] = wide ? (payload[at + 1 + 2 * i] << 8 | payload[at + 2 + 2 * i]) : payload[at + 1 + i];
                luminance = table;
            }
            at += bytes;
        }
        return !luminance;
    });
    if (!luminance) return std::nullopt;
    for (int quality = 1; quality <= 100; ++quality)
        if (scaledTable(quality) == *luminance) return quality;
    return std::nullopt;
}

}  // namespace tavi::host::files

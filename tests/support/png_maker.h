// Hand-made PNG files for the image I/O tests, written without the image
// library under test so that what goes in is known byte for byte.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tavi::test {

// PNG colour types.
enum class PngColour : std::uint8_t {
    Grey = 0,
    Rgb = 2,
    GreyAlpha = 4,
    Rgba = 6
};

struct PngPicture {
    int width = 0;
    int height = 0;
    PngColour colour = PngColour::Rgba;
    int bitDepth = 8;                                       // 8 or 16
    std::vector<std::uint16_t> samples;                     // width * height * channels, rows top to bottom
    std::vector<std::pair<std::string, std::string>> text;  // tEXt chunks: keyword, text
};

int channelsOf(PngColour colour);

// The whole file. Pixel data are stored uncompressed.
std::string encodePng(const PngPicture &picture);

// A PNG claiming the given size, with hardly any pixel data.
std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height);

struct PngHeader {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0;
    PngColour colour = PngColour::Grey;
};

// The header of a PNG file on disk; throws std::runtime_error if it is none.
PngHeader readPngHeader(const std::filesystem::path &path);

void writeBytes(const std::filesystem::path &path, const std::string &bytes);
std::string readBytes(const std::filesystem::path &path);

}  // namespace tavi::test

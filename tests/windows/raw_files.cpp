#include "raw_files.h"

#include <fstream>
#include <stdexcept>

namespace tavi::wincheck {

namespace {

// Binary, so Windows writes no carriage returns.
void writeBytes(const std::filesystem::path &file, const std::string &header, const std::uint8_t *bytes,
                std::size_t count) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char *>(bytes), static_cast<std::streamsize>(count));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

void writePam(const std::filesystem::path &file, const host::RgbaImage &image) {
    const std::string header = "P7\nWIDTH " + std::to_string(image.width) + "\nHEIGHT " + std::to_string(image.height) +
                               "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    writeBytes(file, header, image.rgba.data(), image.rgba.size());
}

void writePpm(const std::filesystem::path &file, int width, int height, const std::uint8_t *rgb) {
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    writeBytes(file, header, rgb, std::size_t(width) * std::size_t(height) * 3);
}

void writeText(const std::filesystem::path &file, const std::string &text) { writeBytes(file, text, nullptr, 0); }

}  // namespace tavi::wincheck

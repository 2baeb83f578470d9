// Plain binary picture files the checks write, readable by any viewer that
// knows netpbm, compared byte for byte between platforms.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "host/base/rgba_image.h"

namespace tavi::wincheck {

// An RGBA picture as PAM (P7, RGB_ALPHA). Throws std::runtime_error.
void writePam(const std::filesystem::path &file, const host::RgbaImage &image);
// Packed RGB bytes as PPM (P6). Throws std::runtime_error.
void writePpm(const std::filesystem::path &file, int width, int height, const std::uint8_t *rgb);
// Text written as is, without newline translation. Throws std::runtime_error.
void writeText(const std::filesystem::path &file, const std::string &text);

}  // namespace tavi::wincheck

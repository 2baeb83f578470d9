// An 8-bit RGBA picture held in memory, interleaved, rows top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavi::host {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), rgba(std::size_t(w) * std::size_t(h) * 4, 0) {}

    std::uint8_t *at(int x, int y) { return &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4]; }
    const std::uint8_t *at(int x, int y) const {
        return &rgba[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4];
    }
    bool operator==(const RgbaImage &) const = default;
};

}  // namespace tavi::host

// Image files with their samples exactly as stored, for holding the library
// to `tavi process`: written and read without any change of alpha form,
// depth or colour space, so both sides see the same numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/base/rgba_image.h"

namespace tavi::test {

enum class SampleKind {
    u8,
    u16,
    half,
    f32
};

std::size_t bytesOf(SampleKind kind);

struct StoredSamples {
    int width = 0;
    int height = 0;
    int channels = 4;
    SampleKind kind = SampleKind::u8;
    std::vector<std::uint8_t> bytes;  // rows packed, samples native

    StoredSamples() = default;
    StoredSamples(int w, int h, int c, SampleKind k)
        : width(w), height(h), channels(c), kind(k), bytes(std::size_t(w) * h * c * bytesOf(k)) {}

    std::size_t count() const { return std::size_t(width) * height * channels; }
    template <class T>
    T get(std::size_t i) const {
        T v;
        std::memcpy(&v, bytes.data() + i * sizeof(T), sizeof v);
        return v;
    }
    template <class T>
    void set(std::size_t i, T v) {
        std::memcpy(bytes.data() + i * sizeof(T), &v, sizeof v);
    }
    bool operator==(const StoredSamples &) const = default;
};

// An 8-bit picture as 3 or 4 channels; with 3 the alpha is dropped.
StoredSamples fromRgba(const host::RgbaImage &image, int channels);

// The format follows the extension (.png, .tif, .exr). PNG colour is
// written as straight, OpenEXR as premultiplied, TIFF as straight unless
// `associatedTiff` (then marked associated): as given, unconverted.
// Throw std::runtime_error naming the file.
void writeSamples(const std::filesystem::path &path, const StoredSamples &samples, bool associatedTiff = false);
StoredSamples readSamples(const std::filesystem::path &path);

}  // namespace tavi::test

#include "host/imaging/render_frame.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tavi::host {

namespace {

template <class T>
T load(const unsigned char *at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <class T>
void store(unsigned char *at, T value) {
    std::memcpy(at, &value, sizeof value);
}

// A fraction as an integer sample: clamped to [lowest, 1], rounded.
template <class T>
T scaled(double value, double lowest, double full) {
    return T(std::llround(std::clamp(value, lowest, 1.0) * full));
}

}  // namespace

double sampleLevel(const void *sample, SampleType type) {
    const auto *at = static_cast<const unsigned char *>(sample);
    switch (type) {
    case SampleType::uint8: return load<std::uint8_t>(at) / 255.0;
    case SampleType::uint16: return load<std::uint16_t>(at) / 65535.0;
    case SampleType::uint32: return load<std::uint32_t>(at) / 4294967295.0;
    case SampleType::int8: return std::max(-1.0, load<std::int8_t>(at) / 127.0);
    case SampleType::int16: return std::max(-1.0, load<std::int16_t>(at) / 32767.0);
    case SampleType::int32: return std::max(-1.0, load<std::int32_t>(at) / 2147483647.0);
    case SampleType::half: return halfToFloat(load<std::uint16_t>(at));
    case SampleType::float32: return load<float>(at);
    case SampleType::float64: return load<double>(at);
    }
    return 0.0;
}

void setSampleLevel(void *sample, SampleType type, double level) {
    auto *at = static_cast<unsigned char *>(sample);
    switch (type) {
    case SampleType::uint8: store(at, scaled<std::uint8_t>(level, 0.0, 255.0)); break;
    case SampleType::uint16: store(at, scaled<std::uint16_t>(level, 0.0, 65535.0)); break;
    case SampleType::uint32: store(at, scaled<std::uint32_t>(level, 0.0, 4294967295.0)); break;
    case SampleType::int8: store(at, scaled<std::int8_t>(level, -1.0, 127.0)); break;
    case SampleType::int16: store(at, scaled<std::int16_t>(level, -1.0, 32767.0)); break;
    case SampleType::int32: store(at, scaled<std::int32_t>(level, -1.0, 2147483647.0)); break;
    case SampleType::half: store(at, floatToHalf(float(level))); break;
    case SampleType::float32: store(at, float(level)); break;
    case SampleType::float64: store(at, level); break;
    }
}

namespace {

// One pixel's samples, reached through the view's offsets.
class PixelAt {
public:
    PixelAt(const PixelView &view, int x, int y)
        : view_(view),
          base_(static_cast<unsigned char *>(view.data) + std::ptrdiff_t(y) * view.rowStride +
                std::ptrdiff_t(x) * view.pixelStride) {}

    bool hasAlpha() const { return view_.channel[3] >= 0; }

    template <class T>
    T get(int c) const {
        T value;
        std::memcpy(&value, base_ + view_.channel[c], sizeof value);
        return value;
    }
    template <class T>
    void put(int c, T value) const {
        std::memcpy(base_ + view_.channel[c], &value, sizeof value);
    }

    // Red always; green and blue only where they are not the same sample
    // (grey), so a grey sample is written once.
    bool ownsSample(int c) const {
        for (int before = 0; before < c; ++before)
            if (view_.channel[before] == view_.channel[c]) return false;
        return true;
    }

    double level(int c) const { return sampleLevel(base_ + view_.channel[c], view_.type[c]); }
    void setLevel(int c, double value) const { setSampleLevel(base_ + view_.channel[c], view_.type[c], value); }

private:
    const PixelView &view_;
    unsigned char *base_;
};

std::uint8_t toByte(double level) {
    if (!(level > 0.0)) return 0;  // also NaN
    if (level >= 1.0) return 255;
    return std::uint8_t(std::lround(level * 255.0));
}

void handBytes(const PixelAt &pixel, AlphaForm form, std::uint8_t *out) {
    const unsigned alpha = pixel.hasAlpha() ? pixel.get<std::uint8_t>(3) : 255u;
    for (int c = 0; c < 3; ++c) {
        const unsigned colour = pixel.get<std::uint8_t>(c);
        out[c] = std::uint8_t(form == AlphaForm::straight ? (colour * alpha + 127) / 255 : colour);
    }
    out[3] = std::uint8_t(alpha);
}

void handDeep(const PixelAt &pixel, AlphaForm form, std::uint8_t *out) {
    const double alpha = pixel.hasAlpha() ? pixel.level(3) : 1.0;
    for (int c = 0; c < 3; ++c) out[c] = toByte(form == AlphaForm::straight ? pixel.level(c) * alpha : pixel.level(c));
    out[3] = toByte(alpha);
}

void putBackBytes(const PixelAt &pixel, AlphaForm form, const std::uint8_t *filtered) {
    const unsigned alpha = filtered[3];
    for (int c = 0; c < 3; ++c) {
        if (!pixel.ownsSample(c)) continue;
        if (form == AlphaForm::associated)
            pixel.put(c, filtered[c]);
        else if (alpha > 0)
            pixel.put(c, std::uint8_t(std::min(255u, (filtered[c] * 255u + alpha / 2) / alpha)));
    }
    if (pixel.hasAlpha()) pixel.put(3, std::uint8_t(alpha));
}

// The associated value plus the filter's change; straight colour divided
// by the new alpha again. Exact where a byte did not change.
void putBackDeep(const PixelAt &pixel, AlphaForm form, const std::uint8_t *handed, const std::uint8_t *filtered) {
    const double alpha = pixel.hasAlpha() ? pixel.level(3) : 1.0;
    const double newAlpha = alpha + (int(filtered[3]) - int(handed[3])) / 255.0;
    for (int c = 0; c < 3; ++c) {
        if (!pixel.ownsSample(c)) continue;
        const double stored = pixel.level(c);
        const double associated = form == AlphaForm::straight ? stored * alpha : stored;
        const double result = associated + (int(filtered[c]) - int(handed[c])) / 255.0;
        if (form == AlphaForm::associated)
            pixel.setLevel(c, result);
        else if (newAlpha > 0.0)
            pixel.setLevel(c, result / newAlpha);
    }
    if (pixel.hasAlpha()) pixel.setLevel(3, newAlpha);
}

}  // namespace

std::size_t sampleBytes(SampleType type) {
    switch (type) {
    case SampleType::uint8:
    case SampleType::int8: return 1;
    case SampleType::uint16:
    case SampleType::int16:
    case SampleType::half: return 2;
    case SampleType::uint32:
    case SampleType::int32:
    case SampleType::float32: return 4;
    case SampleType::float64: return 8;
    }
    return 1;
}

namespace {

// The byte rules hold where every channel is a byte; any other sample
// takes the deep rules.
bool allBytes(const PixelView &pixels) {
    for (int c = 0; c < 4; ++c)
        if ((c < 3 || pixels.channel[3] >= 0) && pixels.type[c] != SampleType::uint8) return false;
    return true;
}

}  // namespace

PixelView pixelsOf(RgbaImage &image) {
    PixelView view;
    view.data = image.rgba.data();
    view.width = image.width;
    view.height = image.height;
    view.rowStride = std::ptrdiff_t(image.width) * 4;
    return view;
}

RgbaImage frameFor(const PixelView &pixels, AlphaForm form) {
    RgbaImage frame(pixels.width, pixels.height);
    const bool bytes = allBytes(pixels);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const PixelAt pixel(pixels, x, y);
            if (bytes)
                handBytes(pixel, form, frame.at(x, y));
            else
                handDeep(pixel, form, frame.at(x, y));
        }
    return frame;
}

std::size_t applyFiltered(const PixelView &pixels, AlphaForm form, const RgbaImage &handed,
                          const RgbaImage &filtered) {
    const bool bytes = allBytes(pixels);
    std::size_t changed = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint8_t *before = handed.at(x, y);
            const std::uint8_t *after = filtered.at(x, y);
            if (std::memcmp(before, after, 4) == 0) continue;  // stored samples stay exactly
            ++changed;
            const PixelAt pixel(pixels, x, y);
            if (bytes)
                putBackBytes(pixel, form, after);
            else
                putBackDeep(pixel, form, before, after);
        }
    return changed;
}

float halfToFloat(std::uint16_t bits) {
    const std::uint32_t sign = std::uint32_t(bits & 0x8000u) << 16;
    std::uint32_t exponent = (bits >> 10) & 0x1Fu;
    std::uint32_t mantissa = bits & 0x3FFu;
    std::uint32_t result;
    if (exponent == 0x1F) {
        result = sign | 0x7F800000u | (mantissa << 13);  // infinity, NaN
    } else if (exponent != 0) {
        result = sign | ((exponent + 112) << 23) | (mantissa << 13);
    } else if (mantissa == 0) {
        result = sign;
    } else {  // subnormal: normalise
        exponent = 113;
        while (!(mantissa & 0x400u)) {
            mantissa <<= 1;
            --exponent;
        }
        result = sign | (exponent << 23) | ((mantissa & 0x3FFu) << 13);
    }
    return std::bit_cast<float>(result);
}

std::uint16_t floatToHalf(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const std::uint16_t sign = std::uint16_t((bits >> 16) & 0x8000u);
    const std::uint32_t magnitude = bits & 0x7FFFFFFFu;
    if (magnitude >= 0x7F800000u)  // infinity stays, NaN stays NaN
        return std::uint16_t(sign | 0x7C00u | (magnitude > 0x7F800000u ? 0x200u : 0u));
    if (magnitude >= 0x477FF000u) return std::uint16_t(sign | 0x7C00u);  // rounds past the largest half
    if (magnitude < 0x38800000u) {                                       // subnormal or zero
        if (magnitude < 0x33000000u) return sign;
        const std::uint32_t exponent = magnitude >> 23;
        const std::uint32_t mantissa = (magnitude & 0x7FFFFFu) | 0x800000u;
        const std::uint32_t shift = 126 - exponent;
        std::uint32_t half = mantissa >> shift;
        const std::uint32_t rest = mantissa & ((1u << shift) - 1);
        const std::uint32_t halfway = 1u << (shift - 1);
        if (rest > halfway || (rest == halfway && (half & 1u))) ++half;
        return std::uint16_t(sign | half);
    }
    std::uint32_t half = ((magnitude >> 13) - (112u << 10));
    const std::uint32_t rest = magnitude & 0x1FFFu;
    if (rest > 0x1000u || (rest == 0x1000u && (half & 1u))) ++half;
    return std::uint16_t(sign | half);
}

}  // namespace tavi::host

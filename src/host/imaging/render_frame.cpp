#include "host/imaging/render_frame.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace tavi::host {

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

    // A deep sample as a fraction of full scale.
    double level(int c) const {
        switch (view_.type) {
        case SampleType::uint8: return get<std::uint8_t>(c) / 255.0;
        case SampleType::uint16: return get<std::uint16_t>(c) / 65535.0;
        case SampleType::half: return halfToFloat(get<std::uint16_t>(c));
        case SampleType::float32: return get<float>(c);
        }
        return 0.0;
    }
    void setLevel(int c, double value) const {
        switch (view_.type) {
        case SampleType::uint8: put(c, std::uint8_t(std::lround(std::clamp(value, 0.0, 1.0) * 255.0))); break;
        case SampleType::uint16: put(c, std::uint16_t(std::lround(std::clamp(value, 0.0, 1.0) * 65535.0))); break;
        case SampleType::half: put(c, floatToHalf(float(value))); break;
        case SampleType::float32: put(c, float(value)); break;
        }
    }

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
    case SampleType::uint8: return 1;
    case SampleType::uint16:
    case SampleType::half: return 2;
    case SampleType::float32: return 4;
    }
    return 1;
}

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
    const bool bytes = pixels.type == SampleType::uint8;
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

void applyFiltered(const PixelView &pixels, AlphaForm form, const RgbaImage &handed, const RgbaImage &filtered) {
    const bool bytes = pixels.type == SampleType::uint8;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint8_t *before = handed.at(x, y);
            const std::uint8_t *after = filtered.at(x, y);
            if (std::memcmp(before, after, 4) == 0) continue;  // stored samples stay exactly
            const PixelAt pixel(pixels, x, y);
            if (bytes)
                putBackBytes(pixel, form, after);
            else
                putBackDeep(pixel, form, before, after);
        }
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

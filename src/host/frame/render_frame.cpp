#include "host/frame/render_frame.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

namespace tavi::host::frame {

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
        : view_(view), base_(static_cast<unsigned char *>(view.data) + std::ptrdiff_t(y) * view.rowStride +
                             std::ptrdiff_t(x) * view.pixelStride) {}

    bool hasAlpha() const { return view_.channel[3] >= 0; }

    std::uint8_t byte(int c) const { return base_[view_.channel[c]]; }
    void putByte(int c, std::uint8_t value) const { base_[view_.channel[c]] = value; }

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

// A fraction as the nearest byte, halves away from zero (as std::lround,
// without its call); NaN and below 0 give 0.
std::uint8_t toByte(double level) {
    if (!(level > 0.0)) return 0;
    if (level >= 1.0) return 255;
    const double scaled = level * 255.0;
    const int whole = int(scaled);
    return std::uint8_t(whole + (scaled - whole >= 0.5 ? 1 : 0));
}

// A sample type's values as fractions of full scale, for the loops that
// make a frame from samples all of one type.
template <SampleType Type>
double fraction(const unsigned char *sample) {
    if constexpr (Type == SampleType::uint8) return *sample / 255.0;
    if constexpr (Type == SampleType::uint16) return load<std::uint16_t>(sample) / 65535.0;
    if constexpr (Type == SampleType::half) return halfToFloat(load<std::uint16_t>(sample));
    if constexpr (Type == SampleType::float32) return load<float>(sample);
    return sampleLevel(sample, Type);
}

// Where a view's samples lie, read once for a whole frame.
struct Layout {
    const unsigned char *base;
    std::ptrdiff_t pixelStride, rowStride;
    int red, green, blue, alpha;  // byte offsets; alpha -1: opaque

    explicit Layout(const PixelView &v)
        : base(static_cast<const unsigned char *>(v.data)), pixelStride(v.pixelStride), rowStride(v.rowStride),
          red(v.channel[0]), green(v.channel[1]), blue(v.channel[2]), alpha(v.channel[3]) {}
};

// (c * a + 127) / 255, exactly for every c and a of 0-255, without the
// division: the loops that use it vectorise.
inline std::uint8_t premultiplied(unsigned c, unsigned a) {
    const unsigned x = c * a + 127;
    return std::uint8_t((x + 1 + (x >> 8)) >> 8);
}

// Straight RGBA four bytes a pixel in that order, as callers mostly hold
// it: the offsets known here, the loop runs several pixels a step.
void handPackedStraight(const Layout &in, int width, int height, FramePlanes &out) {
    std::uint8_t *r = out.plane(0), *g = out.plane(1), *b = out.plane(2), *a = out.plane(3);
    for (int y = 0; y < height; ++y) {
        const unsigned char *pixel = in.base + std::ptrdiff_t(y) * in.rowStride;
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const unsigned char *p = pixel + std::size_t(x) * 4;
            const std::size_t i = row + std::size_t(x);
            r[i] = premultiplied(p[0], p[3]);
            g[i] = premultiplied(p[1], p[3]);
            b[i] = premultiplied(p[2], p[3]);
            a[i] = p[3];
        }
    }
}

// 8-bit samples: straight colour premultiplied, c' = (c * a + 127) / 255.
template <bool Straight, bool Alpha>
void handBytes(const Layout &in, int width, int height, FramePlanes &out) {
    std::uint8_t *r = out.plane(0), *g = out.plane(1), *b = out.plane(2), *a = out.plane(3);
    for (int y = 0; y < height; ++y) {
        const unsigned char *pixel = in.base + std::ptrdiff_t(y) * in.rowStride;
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x, pixel += in.pixelStride) {
            const unsigned alpha = Alpha ? pixel[in.alpha] : 255u;
            const std::size_t i = row + std::size_t(x);
            if (Straight) {
                r[i] = premultiplied(pixel[in.red], alpha);
                g[i] = premultiplied(pixel[in.green], alpha);
                b[i] = premultiplied(pixel[in.blue], alpha);
            } else {
                r[i] = pixel[in.red];
                g[i] = pixel[in.green];
                b[i] = pixel[in.blue];
            }
            a[i] = std::uint8_t(alpha);
        }
    }
}

// The byte every half stands for, as toByte makes it: a frame of half
// samples is made by looking them up, not by converting each.
const std::uint8_t *halfBytes() {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> bytes(1u << 16);
        for (std::uint32_t bits = 0; bits < bytes.size(); ++bits)
            bytes[bits] = toByte(halfToFloat(std::uint16_t(bits)));
        return bytes;
    }();
    return table.data();
}

// Half samples needing no multiplication (associated colour, alpha):
// each looked up.
template <bool Alpha>
void handHalves(const Layout &in, int width, int height, FramePlanes &out) {
    const std::uint8_t *byteOf = halfBytes();
    std::uint8_t *r = out.plane(0), *g = out.plane(1), *b = out.plane(2), *a = out.plane(3);
    for (int y = 0; y < height; ++y) {
        const unsigned char *pixel = in.base + std::ptrdiff_t(y) * in.rowStride;
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x, pixel += in.pixelStride) {
            const std::size_t i = row + std::size_t(x);
            r[i] = byteOf[load<std::uint16_t>(pixel + in.red)];
            g[i] = byteOf[load<std::uint16_t>(pixel + in.green)];
            b[i] = byteOf[load<std::uint16_t>(pixel + in.blue)];
            a[i] = Alpha ? byteOf[load<std::uint16_t>(pixel + in.alpha)] : 255;
        }
    }
}

// Samples of one other type: premultiplied as they are, clamped to 0-1 and
// rounded to the nearest byte.
template <SampleType Type, bool Straight, bool Alpha>
void handLevels(const Layout &in, int width, int height, FramePlanes &out) {
    if constexpr (Type == SampleType::half && !Straight) return handHalves<Alpha>(in, width, height, out);
    std::uint8_t *r = out.plane(0), *g = out.plane(1), *b = out.plane(2), *a = out.plane(3);
    for (int y = 0; y < height; ++y) {
        const unsigned char *pixel = in.base + std::ptrdiff_t(y) * in.rowStride;
        const std::size_t row = std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x, pixel += in.pixelStride) {
            const double alpha = Alpha ? fraction<Type>(pixel + in.alpha) : 1.0;
            const double by = Straight ? alpha : 1.0;
            const std::size_t i = row + std::size_t(x);
            r[i] = toByte(fraction<Type>(pixel + in.red) * by);
            g[i] = toByte(fraction<Type>(pixel + in.green) * by);
            b[i] = toByte(fraction<Type>(pixel + in.blue) * by);
            a[i] = toByte(alpha);
        }
    }
}

template <SampleType Type>
void handLevels(const Layout &in, int width, int height, AlphaForm form, FramePlanes &out) {
    const bool straight = form == AlphaForm::straight, alpha = in.alpha >= 0;
    if (straight && alpha)
        handLevels<Type, true, true>(in, width, height, out);
    else if (alpha)
        handLevels<Type, false, true>(in, width, height, out);
    else
        handLevels<Type, false, false>(in, width, height, out);
}

// Channels of several types: each sample read by its own type.
void handMixed(const PixelView &pixels, AlphaForm form, FramePlanes &out) {
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const PixelAt pixel(pixels, x, y);
            const double alpha = pixel.hasAlpha() ? pixel.level(3) : 1.0;
            const std::size_t i = std::size_t(y) * std::size_t(pixels.width) + std::size_t(x);
            for (int c = 0; c < 3; ++c)
                out.plane(c)[i] = toByte(form == AlphaForm::straight ? pixel.level(c) * alpha : pixel.level(c));
            out.plane(3)[i] = toByte(alpha);
        }
}

// The type every treated channel has, or nothing.
std::optional<SampleType> uniformType(const PixelView &pixels) {
    for (int c = 1; c < 4; ++c)
        if ((c < 3 || pixels.channel[3] >= 0) && pixels.type[c] != pixels.type[0]) return std::nullopt;
    return pixels.type[0];
}

// Where the filter's colour and alpha passes disagree (alpha lowered, say,
// and colour left as it was), the filter hands back more colour than
// alpha. Alpha wins: a pixel that had no colour above its alpha gets none,
// as straight colour divided back and clamped never has, so the picture is
// the same whichever form it is stored in. A pixel that had colour above
// its alpha (light added over nothing, a highlight) keeps what the filter
// made of it.
bool colourWithinAlpha(const std::uint8_t *rgba) {
    return rgba[0] <= rgba[3] && rgba[1] <= rgba[3] && rgba[2] <= rgba[3];
}

void putBackBytes(const PixelAt &pixel, AlphaForm form, const std::uint8_t *handed, const std::uint8_t *filtered) {
    const unsigned alpha = filtered[3];
    const bool clamp = colourWithinAlpha(handed);
    for (int c = 0; c < 3; ++c) {
        if (!pixel.ownsSample(c)) continue;
        if (form == AlphaForm::associated)
            pixel.putByte(c, clamp ? std::min(filtered[c], filtered[3]) : filtered[c]);
        else if (alpha > 0)
            pixel.putByte(c, std::uint8_t(std::min(255u, (filtered[c] * 255u + alpha / 2) / alpha)));
    }
    if (pixel.hasAlpha()) pixel.putByte(3, std::uint8_t(alpha));
}

// The associated value plus the filter's change; straight colour divided
// by the new alpha again. Exact where a byte did not change.
void putBackDeep(const PixelAt &pixel, AlphaForm form, const std::uint8_t *handed, const std::uint8_t *filtered) {
    const double alpha = pixel.hasAlpha() ? pixel.level(3) : 1.0;
    const double newAlpha = alpha + (int(filtered[3]) - int(handed[3])) / 255.0;
    double associated[3] = {0, 0, 0};
    bool clamp = true;  // no colour above alpha, in the stored samples
    for (int c = 0; c < 3; ++c) {
        if (!pixel.ownsSample(c)) continue;
        const double stored = pixel.level(c);
        associated[c] = form == AlphaForm::straight ? stored * alpha : stored;
        clamp = clamp && associated[c] <= alpha;
    }
    for (int c = 0; c < 3; ++c) {
        if (!pixel.ownsSample(c)) continue;
        double result = associated[c] + (int(filtered[c]) - int(handed[c])) / 255.0;
        if (clamp) result = std::min(result, std::max(newAlpha, 0.0));
        if (form == AlphaForm::associated)
            pixel.setLevel(c, result);
        else if (newAlpha > 0.0)
            pixel.setLevel(c, result / newAlpha);
    }
    if (pixel.hasAlpha()) pixel.setLevel(3, newAlpha);
}

// Whether 8 pixels from `i` on are alike in every plane of both frames.
bool eightAlike(const FramePlanes &a, const FramePlanes &b, std::size_t i) {
    std::uint64_t differs = 0;
    for (int c = 0; c < 4; ++c) differs |= load<std::uint64_t>(a.plane(c) + i) ^ load<std::uint64_t>(b.plane(c) + i);
    return differs == 0;
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

PixelView pixelsOf(RgbaImage &image) {
    PixelView view;
    view.data = image.rgba.data();
    view.width = image.width;
    view.height = image.height;
    view.rowStride = std::ptrdiff_t(image.width) * 4;
    return view;
}

FramePlanes frameFor(const PixelView &pixels, AlphaForm form) {
    FramePlanes frame(pixels.width, pixels.height);
    const Layout in(pixels);
    const bool straight = form == AlphaForm::straight, alpha = pixels.channel[3] >= 0;
    switch (uniformType(pixels).value_or(SampleType::float64)) {
    case SampleType::uint8:
        if (straight && alpha && in.pixelStride == 4 && in.red == 0 && in.green == 1 && in.blue == 2 && in.alpha == 3)
            handPackedStraight(in, pixels.width, pixels.height, frame);
        else if (straight && alpha)
            handBytes<true, true>(in, pixels.width, pixels.height, frame);
        else if (alpha)
            handBytes<false, true>(in, pixels.width, pixels.height, frame);
        else
            handBytes<false, false>(in, pixels.width, pixels.height, frame);
        break;
    case SampleType::uint16: handLevels<SampleType::uint16>(in, pixels.width, pixels.height, form, frame); break;
    case SampleType::half: handLevels<SampleType::half>(in, pixels.width, pixels.height, form, frame); break;
    case SampleType::float32: handLevels<SampleType::float32>(in, pixels.width, pixels.height, form, frame); break;
    default: handMixed(pixels, form, frame); break;
    }
    return frame;
}

namespace {

// Puts one changed pixel back, at its own depth and form.
void putBack(const PixelView &pixels, AlphaForm form, bool bytes, std::size_t i, const std::uint8_t *before,
             const std::uint8_t *after) {
    const PixelAt pixel(pixels, int(i % std::size_t(pixels.width)), int(i / std::size_t(pixels.width)));
    if (bytes)
        putBackBytes(pixel, form, before, after);
    else
        putBackDeep(pixel, form, before, after);
}

}  // namespace

std::size_t applyFiltered(const PixelView &pixels, AlphaForm form, const FramePlanes &handed,
                          const FramePlanes &filtered) {
    const bool bytes = uniformType(pixels) == SampleType::uint8;
    const std::size_t count = handed.pixels();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < count;) {
        // Most of a frame is left alone: skip it eight pixels at a time.
        if (i + 8 <= count && eightAlike(handed, filtered, i)) {
            i += 8;
            continue;
        }
        const std::uint8_t before[4] = {handed.plane(0)[i], handed.plane(1)[i], handed.plane(2)[i], handed.plane(3)[i]};
        const std::uint8_t after[4] = {filtered.plane(0)[i], filtered.plane(1)[i], filtered.plane(2)[i],
                                       filtered.plane(3)[i]};
        if (std::memcmp(before, after, 4) != 0) {  // else the stored samples stay exactly
            ++changed;
            putBack(pixels, form, bytes, i, before, after);
        }
        ++i;
    }
    return changed;
}

std::size_t applyChanges(const PixelView &pixels, AlphaForm form, const FramePlanes &handed,
                         const std::vector<ChangedPixel> &changes) {
    const bool bytes = uniformType(pixels) == SampleType::uint8;
    std::size_t changed = 0;
    for (const ChangedPixel &change : changes) {
        const std::size_t i = change.index;
        const std::uint8_t before[4] = {handed.plane(0)[i], handed.plane(1)[i], handed.plane(2)[i], handed.plane(3)[i]};
        if (std::memcmp(before, change.rgba, 4) == 0) continue;
        ++changed;
        putBack(pixels, form, bytes, i, before, change.rgba);
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

}  // namespace tavi::host::frame

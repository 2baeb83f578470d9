// The frame a renderer hands an image filter, made from pixels as an image
// file or a caller holds them, and the filter's changes put back.
//
// A renderer's frame holds colour premultiplied by alpha (associated), one
// byte per channel; the filter blends colour and alpha alike, which is
// exact only for associated colour. Files mostly store straight colour, and
// deeper than 8 bits. So the frame handed to the filter is made like this:
//
// - 8-bit straight colour is premultiplied: c' = (c x a + 127) / 255.
// - Other samples (16 and 32-bit integers, half, float, double) are
//   premultiplied as they are, clamped to 0-1 and rounded to the nearest
//   byte.
// - Associated colour is taken as it is; pixels without alpha get 255.
//
// The filter's result is put back only where it changed a pixel (any of its
// four bytes); every other pixel keeps its stored samples exactly:
//
// - 8-bit (every channel): associated bytes are written as the filter
//   made them, but no higher than its alpha; straight colour is divided
//   back, c = min(255, (c' x 255 + a' / 2) / a') where the filtered alpha
//   a' > 0, and keeps its stored value where a' = 0.
// - Deeper samples: the associated value plus the filter's change scaled
//   to the sample's units, (out - in) / 255 of full scale, no higher than
//   the new alpha, then divided by the new alpha for straight colour (kept
//   where that alpha is 0 or less). Integer results are rounded and
//   clamped to their type's range; float results are not clamped
//   otherwise, so values outside 0-1 survive.
// - Alpha wins where the filter's colour and alpha passes disagree: the
//   "no higher than alpha" above holds for a pixel that had no colour
//   above its alpha as it was handed over; one that had (light over
//   nothing, a highlight) keeps the filter's colour. So a straight picture
//   comes out the same whether it is stored straight or premultiplied.
//
// Standard library only: the tavi command, the C library and the Python
// module share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/frame/changed_pixel.h"
#include "host/frame/frame_planes.h"
#include "host/base/rgba_image.h"

namespace tavi::host::frame {

enum class AlphaForm {
    straight,    // colour as seen, alpha separate (PNG, TGA, most TIFF)
    associated,  // colour premultiplied by alpha (OpenEXR, renderers)
};

// The sample types pixels are held in. Integers stand for fractions of
// their largest value (signed ones of their largest positive value), as
// image files mean them; floats are taken as they are.
enum class SampleType {
    uint8,
    uint16,
    uint32,
    int8,
    int16,
    int32,
    half,
    float32,
    float64
};

std::size_t sampleBytes(SampleType type);

// Pixels in memory: `width` x `height`, each pixel `pixelStride` bytes
// after the one before it, each row `rowStride` bytes after the one above.
// `channel` gives the byte offset within a pixel of red, green, blue and
// alpha, each a sample of its `type` (native byte order); alpha -1 means
// none (taken as opaque, never written). Grey is red = green = blue.
struct PixelView {
    void *data = nullptr;
    SampleType type[4] = {SampleType::uint8, SampleType::uint8, SampleType::uint8, SampleType::uint8};
    int width = 0;
    int height = 0;
    std::ptrdiff_t pixelStride = 4;
    std::ptrdiff_t rowStride = 0;
    int channel[4] = {0, 1, 2, 3};

    // Every channel of one type.
    void setType(SampleType all) {
        for (SampleType &t : type) t = all;
    }
};

// The pixels of an 8-bit RGBA picture.
PixelView pixelsOf(RgbaImage &image);

// The 8-bit associated RGBA frame the filter is handed.
FramePlanes frameFor(const PixelView &pixels, AlphaForm form);

// Puts the filter's result back into `pixels`: `handed` is what frameFor
// gave, `filtered` what the filter made of it (same size). Returns how many
// pixels changed.
std::size_t applyFiltered(const PixelView &pixels, AlphaForm form, const FramePlanes &handed,
                          const FramePlanes &filtered);
// The same, from only the pixels the filter changed (in any order, one
// entry a pixel).
std::size_t applyChanges(const PixelView &pixels, AlphaForm form, const FramePlanes &handed,
                         const std::vector<ChangedPixel> &changes);

// A sample as a fraction of full scale, and a fraction stored as a sample
// (integers rounded and clamped to their range, floats as they are).
double sampleLevel(const void *sample, SampleType type);
void setSampleLevel(void *sample, SampleType type, double level);

// Half-precision floats, as OpenEXR stores them: exact one way, rounded to
// nearest even the other.
float halfToFloat(std::uint16_t bits);
std::uint16_t floatToHalf(float value);

}  // namespace tavi::host::frame

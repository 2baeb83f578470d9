#include "lib/c/image_request.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace tavi::lib {

namespace {

constexpr std::size_t kMaxExtent = std::size_t(std::numeric_limits<std::ptrdiff_t>::max());

Refusal refuse(tavi_status status, std::string message) { return {status, std::move(message)}; }

std::string n(std::size_t value) { return std::to_string(value); }

}  // namespace

std::variant<ImageRequest, Refusal> checkSettings(ImageRequest request, const tavi_settings &s) {
    if (s.target < TAVI_TARGET_RGB || s.target > TAVI_TARGET_RGBA)
        return refuse(TAVI_ERROR_BAD_SETTINGS, "target " + std::to_string(s.target) +
                                                   " is none of TAVI_TARGET_RGB (0), TAVI_TARGET_ALPHA (1) and "
                                                   "TAVI_TARGET_RGBA (2)");
    if (s.strength < 0 || s.strength > 100)
        return refuse(TAVI_ERROR_BAD_SETTINGS, "strength " + std::to_string(s.strength) + " is outside 0 to 100");
    if (s.threshold < 0 || s.threshold > 256)
        return refuse(TAVI_ERROR_BAD_SETTINGS, "threshold " + std::to_string(s.threshold) + " is outside 0 to 256");
    if (s.enabled != 0 && s.enabled != 1)
        return refuse(TAVI_ERROR_BAD_SETTINGS, "enabled " + std::to_string(s.enabled) + " is neither 0 nor 1");
    request.settings = {s.target, s.strength, s.threshold};
    request.enabled = s.enabled == 1;
    return request;
}

namespace {

// The arguments that are wrong whatever the image: null pointers,
// negative sizes, other channel counts and alpha forms.
std::optional<Refusal> badArguments(const void *pixels, int width, int height, int channels, int alpha,
                                    const tavi_settings *settings) {
    if (pixels == nullptr) return refuse(TAVI_ERROR_NULL_POINTER, "pixels is NULL");
    if (settings == nullptr)
        return refuse(TAVI_ERROR_NULL_POINTER, "settings is NULL (tavi_default_settings() gives the defaults)");
    if (width < 0 || height < 0)
        return refuse(TAVI_ERROR_BAD_SIZE,
                      "the size " + std::to_string(width) + " x " + std::to_string(height) + " is negative");
    if (channels != 3 && channels != 4)
        return refuse(TAVI_ERROR_BAD_CHANNELS,
                      "channels " + std::to_string(channels) + " is neither 3 (RGB) nor 4 (RGBA)");
    if (alpha != TAVI_ALPHA_STRAIGHT && alpha != TAVI_ALPHA_PREMULTIPLIED)
        return refuse(TAVI_ERROR_BAD_ALPHA, "alpha " + std::to_string(alpha) +
                                                " is neither TAVI_ALPHA_STRAIGHT (0) nor TAVI_ALPHA_PREMULTIPLIED (1)");
    return std::nullopt;
}

// Whether the image as described fits in memory; its row stride. Every
// product is checked before it is formed: width and height are ints, but
// the strides and the extent are bytes in an address space.
std::variant<std::size_t, Refusal> rowStrideOf(const void *pixels, std::size_t w, std::size_t h, std::size_t pixelBytes,
                                               std::size_t rowStride) {
    if (w > kMaxExtent / pixelBytes)
        return refuse(TAVI_ERROR_TOO_LARGE, "a row of " + n(w) + " pixels does not fit in memory");
    const std::size_t rowBytes = w * pixelBytes;
    const std::size_t stride = rowStride == 0 ? rowBytes : rowStride;
    if (stride < rowBytes)
        return refuse(TAVI_ERROR_BAD_STRIDE, "row_stride " + n(stride) + " is shorter than a row of " + n(w) +
                                                 " pixels (" + n(rowBytes) + " bytes)");
    if (stride > kMaxExtent) return refuse(TAVI_ERROR_TOO_LARGE, "row_stride " + n(stride) + " does not fit in memory");
    if (h > 1 && (stride > (kMaxExtent - rowBytes) / (h - 1)))
        return refuse(TAVI_ERROR_TOO_LARGE, n(h) + " rows " + n(stride) + " bytes apart do not fit in memory");
    const std::size_t extent = h == 0 ? 0 : stride * (h - 1) + rowBytes;
    if (extent > std::numeric_limits<std::uintptr_t>::max() - reinterpret_cast<std::uintptr_t>(pixels))
        return refuse(TAVI_ERROR_TOO_LARGE,
                      "the image's " + n(extent) + " bytes run past the end of the address space");
    // The filter's working copy holds 4 bytes a pixel.
    if (h != 0 && w > kMaxExtent / 4 / h)
        return refuse(TAVI_ERROR_TOO_LARGE, "a frame of " + n(w) + " x " + n(h) + " pixels does not fit in memory");
    return stride;
}

}  // namespace

std::variant<ImageRequest, Refusal> checkRequest(void *pixels, host::frame::SampleType type, int width, int height,
                                                 std::size_t rowStride, int channels, int alpha,
                                                 const tavi_settings *settings) {
    if (auto refusal = badArguments(pixels, width, height, channels, alpha, settings)) return *refusal;
    const std::size_t pixelBytes = std::size_t(channels) * host::frame::sampleBytes(type);
    const auto stride = rowStrideOf(pixels, std::size_t(width), std::size_t(height), pixelBytes, rowStride);
    if (const Refusal *refusal = std::get_if<Refusal>(&stride)) return *refusal;

    ImageRequest request;
    const int sample = int(host::frame::sampleBytes(type));
    request.pixels.data = pixels;
    request.pixels.setType(type);
    request.pixels.width = width;
    request.pixels.height = height;
    request.pixels.pixelStride = std::ptrdiff_t(pixelBytes);
    request.pixels.rowStride = std::ptrdiff_t(std::get<std::size_t>(stride));
    request.pixels.channel[0] = 0;
    request.pixels.channel[1] = sample;
    request.pixels.channel[2] = 2 * sample;
    request.pixels.channel[3] = channels == 4 ? 3 * sample : -1;
    request.form =
        alpha == TAVI_ALPHA_PREMULTIPLIED ? host::frame::AlphaForm::associated : host::frame::AlphaForm::straight;
    return checkSettings(request, *settings);
}

}  // namespace tavi::lib

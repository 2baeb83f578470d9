// The library's C interface: arguments checked, the work done in C++, and
// every exception turned into a status here, so none crosses into C.
#include "tavi/tavi.h"

#include <new>
#include <string>

#include "lib/c/filter_pixels.h"
#include "lib/c/image_request.h"

namespace {

using tavi::host::frame::SampleType;

// The calling thread's last failure, for tavi_last_error().
thread_local std::string lastError;

tavi_status fail(tavi_status status, const char *message) noexcept {
    try {
        lastError = message;
    } catch (...) {
        lastError.clear();  // no memory even for the sentence: the status says enough
    }
    return status;
}

tavi_status antialias(void *pixels, SampleType type, int width, int height, size_t rowStride, int channels,
                      tavi_alpha alpha, const tavi_settings *settings) noexcept {
    try {
        auto checked = tavi::lib::checkRequest(pixels, type, width, height, rowStride, channels, int(alpha), settings);
        if (auto *refusal = std::get_if<tavi::lib::Refusal>(&checked))
            return fail(refusal->status, refusal->message.c_str());
        const tavi::lib::FilterOutcome outcome = tavi::lib::filterReported(std::get<tavi::lib::ImageRequest>(checked));
        if (outcome.status != TAVI_OK) return fail(outcome.status, outcome.message.c_str());
        lastError.clear();
        return TAVI_OK;
    } catch (const std::bad_alloc &) {  // from a refusal's sentence: filterReported throws nothing
        return fail(TAVI_ERROR_OUT_OF_MEMORY, "not enough memory to check the arguments");
    } catch (...) {
        return fail(TAVI_ERROR_INTERNAL, "the arguments could not be checked");
    }
}

}  // namespace

extern "C" {

const char *tavi_version(void) { return TAVI_VERSION_STRING; }

tavi_settings tavi_default_settings(void) { return {TAVI_TARGET_RGBA, 100, 224, 1}; }

tavi_status tavi_antialias_u8(unsigned char *pixels, int width, int height, size_t row_stride, int channels,
                              tavi_alpha alpha, const tavi_settings *settings) {
    return antialias(pixels, SampleType::uint8, width, height, row_stride, channels, alpha, settings);
}

tavi_status tavi_antialias_u16(unsigned short *pixels, int width, int height, size_t row_stride, int channels,
                               tavi_alpha alpha, const tavi_settings *settings) {
    return antialias(pixels, SampleType::uint16, width, height, row_stride, channels, alpha, settings);
}

tavi_status tavi_antialias_f16(unsigned short *pixels, int width, int height, size_t row_stride, int channels,
                               tavi_alpha alpha, const tavi_settings *settings) {
    return antialias(pixels, SampleType::half, width, height, row_stride, channels, alpha, settings);
}

tavi_status tavi_antialias_f32(float *pixels, int width, int height, size_t row_stride, int channels, tavi_alpha alpha,
                               const tavi_settings *settings) {
    return antialias(pixels, SampleType::float32, width, height, row_stride, channels, alpha, settings);
}

const char *tavi_last_error(void) { return lastError.c_str(); }

const char *tavi_status_text(tavi_status status) {
    switch (status) {
    case TAVI_OK: return "success";
    case TAVI_ERROR_NULL_POINTER: return "null pointer";
    case TAVI_ERROR_BAD_SIZE: return "negative image size";
    case TAVI_ERROR_TOO_LARGE: return "image too large";
    case TAVI_ERROR_BAD_STRIDE: return "row stride too small";
    case TAVI_ERROR_BAD_CHANNELS: return "unsupported channel count";
    case TAVI_ERROR_BAD_ALPHA: return "unknown alpha form";
    case TAVI_ERROR_BAD_SETTINGS: return "setting out of range";
    case TAVI_ERROR_OUT_OF_MEMORY: return "out of memory";
    case TAVI_ERROR_INTERNAL: return "the filter module failed";
    }
    return "unknown status";
}

}  // extern "C"

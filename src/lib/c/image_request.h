// One call's arguments, checked before anything touches the pixels: the
// view of the caller's buffer the frame rules work on, or what is wrong.
#pragma once

#include <cstddef>
#include <string>
#include <variant>

#include "tavi/tavi.h"
#include "host/frame/render_frame.h"
#include "host/scene/tavi_settings.h"

namespace tavi::lib {

struct ImageRequest {
    host::frame::PixelView pixels;
    host::frame::AlphaForm form = host::frame::AlphaForm::straight;
    host::TaviSettings settings;
    bool enabled = true;
};

struct Refusal {
    tavi_status status;
    std::string message;
};

// `request` with the settings of a call, or what is wrong with them: each
// in the panel's range, enabled 0 or 1.
std::variant<ImageRequest, Refusal> checkSettings(ImageRequest request, const tavi_settings &settings);

// The arguments of a tavi_antialias_* call, for samples of `type`.
std::variant<ImageRequest, Refusal> checkRequest(void *pixels, host::frame::SampleType type, int width, int height,
                                                 std::size_t rowStride, int channels, int alpha,
                                                 const tavi_settings *settings);

}  // namespace tavi::lib

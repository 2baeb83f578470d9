// The image filters of a scene applied to a frame, in order, as the host
// does after rendering. Each chain owns its own instances, so chains can
// run on separate threads.
#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "host/loader/filter_module.h"
#include "host/loader/hosted_filter.h"
#include "host/base/rgba_image.h"
#include "host/frame/render_frame.h"
#include "host/scene/scene_file.h"

namespace tavi::host {

// A frame the filters could not produce; what() says why.
class FrameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FilterChain {
public:
    // One instance per enabled filter of the scene, its settings line loaded.
    // Throws ModuleError when a filter names a server the module lacks.
    FilterChain(FilterModule &module, const std::vector<SceneFilter> &filters);

    // The frame after every filter. Throws FrameError when a filter left
    // pixels unwritten (it reports no errors of its own; an instance that
    // cannot obtain its buffers writes nothing).
    frame::FramePlanes apply(const frame::FramePlanes &frame);
    RgbaImage apply(const RgbaImage &frame);

    // Filters stored pixels in place the way a renderer's frame is
    // filtered: handed as 8-bit premultiplied colour, the changes put back
    // at the pixels' own depth and form. Returns how many pixels changed.
    // Throws FrameError.
    std::size_t applyInPlace(const frame::PixelView &pixels, frame::AlphaForm form);

    std::size_t size() const { return filters_.size(); }

private:
    std::vector<std::unique_ptr<HostedFilter>> filters_;
};

}  // namespace tavi::host

// The frame rules' view of a numpy array's pixels, through its own strides:
// slices, transposed and Fortran-ordered arrays are filtered where they
// lie, without a contiguous copy.
#pragma once

#include <pybind11/numpy.h>

#include <optional>

#include "host/frame/render_frame.h"

namespace tavi::python {

// A writeable H x W x 3 or 4 array of `samples`; nothing where a channel's
// byte offset within a pixel does not fit the view (the channel axis
// strides over more than 2 GiB).
std::optional<host::frame::PixelView> stridedPixels(pybind11::array &array, host::frame::SampleType samples);

}  // namespace tavi::python

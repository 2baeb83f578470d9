// What the Python module takes as an image and as the array to write the
// result into, checked with messages that say what to pass instead. Raises
// TypeError or ValueError; never shows the image.
#pragma once

#include <pybind11/numpy.h>

#include "host/frame/render_frame.h"

namespace tavi::python {

namespace py = pybind11;

struct TakenImage {
    py::array array;  // H x W x 3 or 4, native byte order; its strides as they are
    host::frame::SampleType samples;
    bool ownCopy;  // made here (from a list, or into native order): the result may be it
};

// The image as the filter takes it, copied only where it must be:
// - a numpy array of uint8, uint16, uint32, int8, int16, int32, float16,
//   float32 or float64 is taken as it is, any strides or order; in the
//   other byte order it is converted to the native one;
// - a list or tuple is made an array by numpy.array; Python ints (numpy's
//   default integer) are taken as 8-bit samples, 0 to 255, as uint8;
// - any other array-like (buffer, __array_interface__, __array__) is
//   viewed by numpy.asarray.
// bool, int64, uint64, complex and other dtypes are refused.
TakenImage takeImage(const py::object &image);

// `out` (a numpy array: call_arguments checked that) as the result's
// home: the image's shape and dtype, writeable, and no two elements at the
// same address.
py::array checkOut(const py::object &out, const TakenImage &image);

}  // namespace tavi::python

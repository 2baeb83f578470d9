// What the Python module accepts as an image, checked with messages that
// say what to pass instead. Raises TypeError or ValueError.
#pragma once

#include <pybind11/numpy.h>

#include <string>

#include "tavi/tavi.h"

namespace tavi::python {

namespace py = pybind11;

enum class Samples { uint8, uint16, float16, float32 };

struct ImageShape {
    Samples samples;
    int height;
    int width;
    int channels;
};

// A C-contiguous H x W x 3 or H x W x 4 numpy array of uint8, uint16,
// float16 or float32 in native byte order.
ImageShape checkImage(const py::object &image);

}  // namespace tavi::python

// The compiled part of the Python package tavi (tavi._tavi, re-exported by
// tavi/__init__.py): tavi.antialias over the C library, one new array per
// call, and tavi.antialias_file over image files; the GIL is released while
// the filter runs.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstring>

#include "lib/python/array_checks.h"
#include "lib/python/call_arguments.h"
#include "lib/python/file_filter.h"
#include "tavi/tavi.h"

namespace py = pybind11;
using tavi::python::Samples;

namespace {

tavi_status filterInPlace(void *pixels, const tavi::python::ImageShape &shape, tavi_alpha alpha,
                          const tavi_settings &settings) {
    switch (shape.samples) {
    case Samples::uint8:
        return tavi_antialias_u8(static_cast<unsigned char *>(pixels), shape.width, shape.height, 0, shape.channels,
                                 alpha, &settings);
    case Samples::uint16:
        return tavi_antialias_u16(static_cast<unsigned short *>(pixels), shape.width, shape.height, 0,
                                  shape.channels, alpha, &settings);
    case Samples::float16:
        return tavi_antialias_f16(static_cast<unsigned short *>(pixels), shape.width, shape.height, 0,
                                  shape.channels, alpha, &settings);
    case Samples::float32:
        return tavi_antialias_f32(static_cast<float *>(pixels), shape.width, shape.height, 0, shape.channels, alpha,
                                  &settings);
    }
    return TAVI_ERROR_INTERNAL;
}

// The library's message, as the exception Python code expects for it.
[[noreturn]] void raise(tavi_status status) {
    const std::string message = tavi_last_error();
    switch (status) {
    case TAVI_ERROR_OUT_OF_MEMORY:
        // pybind11 turns std::bad_alloc into a MemoryError of its own words.
        PyErr_SetString(PyExc_MemoryError, message.c_str());
        throw py::error_already_set();
    case TAVI_ERROR_INTERNAL: throw std::runtime_error(message);
    default: throw py::value_error(message);
    }
}

py::array antialias(const py::args &args, const py::kwargs &kwargs) {
    const tavi::python::CallArguments call = tavi::python::checkArguments(args, kwargs);
    const py::object &image = call.image;
    const tavi::python::ImageShape shape = tavi::python::checkImage(image);
    const tavi_settings &settings = call.settings;
    const tavi_alpha form = call.alpha;

    const auto input = py::reinterpret_borrow<py::array>(image);
    py::array result(input.dtype(), {input.shape(0), input.shape(1), input.shape(2)});
    std::memcpy(result.mutable_data(), input.data(), std::size_t(input.nbytes()));
    unsigned char empty = 0;  // an empty array may have no data at all
    void *pixels = result.nbytes() ? result.mutable_data() : &empty;

    tavi_status status;
    {
        py::gil_scoped_release released;
        status = filterInPlace(pixels, shape, form, settings);
    }
    if (status != TAVI_OK) raise(status);
    return result;
}

}  // namespace

PYBIND11_MODULE(_tavi, m) {
    m.doc() = "Tavi, the post-render anti-aliasing filter, for numpy images (the compiled part of tavi).";
    m.attr("__version__") = tavi_version();  // the version the library code inside was built as
    // The arguments are checked by the module (lib/python/call_arguments.h).
    // The docstring starts with the signature in the form Python reads for
    // its own built-in functions, so inspect.signature() works.
    py::options options;
    options.disable_function_signatures();
    m.def("antialias", &antialias,
          R"(antialias(image, *, target='rgba', strength=100, threshold=224, alpha='straight', enabled=True)
--

Anti-aliases an image and returns the result as a new array.

image      a C-contiguous numpy array, height x width x 3 (RGB) or x 4 (RGBA),
           of uint8, uint16, float16 or float32 samples; left unchanged
target     "rgba", "rgb" (colour only) or "alpha" (alpha only)
strength   0 to 100: how far blended pixels move toward the ramp, in percent
threshold  0 to 256: a difference between neighbours above 256 - threshold
           is an edge
alpha      "straight" (colour as seen, as in PNG files; the default) or
           "premultiplied" (colour multiplied by alpha, as in OpenEXR files)
enabled    False returns an unchanged copy

The bytes are those of `tavi process` on the same pixels. 8-bit colour is
premultiplied on the way in and divided back where the filter changed a
pixel; deeper samples keep their depth (full scale 65535, or 1.0 for
floats) and only the filter's change is added to them. Raises TypeError for
a wrong type or dtype (of the image, or of a setting: str for target and
alpha, int but not bool for strength and threshold, bool for enabled) and
for a missing or unknown argument, ValueError for a wrong shape, a
non-contiguous array or a setting out of range, MemoryError when the
filter cannot have its memory. Messages name the argument and never show
the image. The GIL is released while the filter runs, so threads
filtering different images run at once.)");
    tavi::python::defineAntialiasFile(m);
}

// The compiled part of the Python package tavi (tavi._tavi, re-exported by
// tavi/__init__.py): tavi.antialias over the C library's request, on the
// array's own strides, into a new array or `out`, and tavi.antialias_file
// over image files; the GIL is released while the filter runs.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <string>

#include "lib/c/filter_pixels.h"
#include "lib/c/image_request.h"
#include "lib/python/array_checks.h"
#include "lib/python/call_arguments.h"
#include "lib/python/file_filter.h"
#include "lib/python/strided_pixels.h"
#include "tavi/tavi.h"

namespace py = pybind11;

namespace {

// The library's sentence, as the exception Python code expects for it.
[[noreturn]] void raise(tavi_status status, const std::string &message) {
    switch (status) {
    case TAVI_ERROR_OUT_OF_MEMORY:
        // pybind11 turns std::bad_alloc into a MemoryError of its own words.
        PyErr_SetString(PyExc_MemoryError, message.c_str());
        throw py::error_already_set();
    case TAVI_ERROR_INTERNAL: throw std::runtime_error(message);
    default: throw py::value_error(message);
    }
}

bool sameElements(const py::array &a, const py::array &b) {
    return a.data() == b.data() && a.ndim() == b.ndim() && std::equal(a.shape(), a.shape() + a.ndim(), b.shape()) &&
           std::equal(a.strides(), a.strides() + a.ndim(), b.strides()) && a.dtype().equal(b.dtype());
}

// Where the result goes, holding the image's samples to filter in place:
// out (as it is, when it is the image), the copy made in taking the image,
// or a new C-ordered copy.
py::array destination(const py::object &out, const tavi::python::TakenImage &taken) {
    const py::module_ numpy = py::module_::import("numpy");
    if (!out.is_none()) {
        py::array into = tavi::python::checkOut(out, taken);
        if (!sameElements(into, taken.array)) numpy.attr("copyto")(into, taken.array);  // copes with overlap
        return into;
    }
    if (taken.ownCopy) return taken.array;
    return numpy.attr("array")(taken.array, py::arg("order") = "C");
}

// Filters the pixels of `array` where they lie, with the GIL let go.
void filterArray(py::array &array, tavi::lib::ImageRequest request, const tavi::python::TakenImage &taken) {
    const auto view = tavi::python::stridedPixels(array, taken.samples);
    if (!view) {
        // The channels lie too far apart for the frame rules' view: filter
        // a packed copy and put it back.
        const py::module_ numpy = py::module_::import("numpy");
        py::array packed = numpy.attr("ascontiguousarray")(array);
        filterArray(packed, request, taken);
        numpy.attr("copyto")(array, packed);
        return;
    }
    request.pixels = *view;
    tavi::lib::FilterOutcome outcome;
    {
        py::gil_scoped_release released;
        outcome = tavi::lib::filterReported(request);
    }
    if (outcome.status != TAVI_OK) raise(outcome.status, outcome.message);
}

py::array antialias(const py::args &args, const py::kwargs &kwargs) {
    const tavi::python::CallArguments call = tavi::python::checkArguments(args, kwargs);
    const tavi::python::TakenImage taken = tavi::python::takeImage(call.image);

    tavi::lib::ImageRequest request;
    request.form = call.alpha == TAVI_ALPHA_PREMULTIPLIED ? tavi::host::frame::AlphaForm::associated
                                                          : tavi::host::frame::AlphaForm::straight;
    auto checked = tavi::lib::checkSettings(request, call.settings);
    if (auto *refusal = std::get_if<tavi::lib::Refusal>(&checked)) raise(refusal->status, refusal->message);

    py::array result = destination(call.out, taken);
    filterArray(result, std::get<tavi::lib::ImageRequest>(checked), taken);
    return result;
}

// The docstring starts with the signature in the form Python reads for its
// own built-in functions, so inspect.signature() works.
constexpr const char *kAntialiasDoc =
    R"(antialias(image, *, out=None, target='rgba', strength=100, threshold=224, alpha='straight', enabled=True)
--

Anti-aliases an image and returns the result: a new array, or out.

image      height x width x 3 (RGB) or x 4 (RGBA): a numpy array of any
           strides or order (slices, transposed views, Fortran order are
           read where they lie), nested lists, or anything else
           numpy.asarray takes; left unchanged unless it is out
out        None (a new C-ordered array), or the array to write the result
           into: the image's shape and dtype, writeable, any strides; it
           may be the image itself, which is then filtered in place
target     "rgba", "rgb" (colour only) or "alpha" (alpha only)
strength   0 to 100: how far blended pixels move toward the ramp, in percent
threshold  0 to 256: a difference between neighbours above 256 - threshold
           is an edge
alpha      "straight" (colour as seen, as in PNG files; the default) or
           "premultiplied" (colour multiplied by alpha, as in OpenEXR files)
enabled    False leaves the samples as they are (copied into the result)

Samples, as image files mean them; the result has the image's dtype:
  uint8, uint16, uint32   0 to the largest value (255, 65535, 4294967295)
                          is 0 to 1
  int8, int16, int32      0 to the largest value (127, 32767, 2147483647)
                          is 0 to 1; the filter sees values below 0 as 0
  float16, float32,       taken as they are, 1.0 full scale; values
  float64                 outside 0 to 1 are kept
  a list or tuple         made an array by numpy.array; Python ints are
                          taken as uint8 (0 to 255, else ValueError),
                          floats as float64
  the other byte order    converted to the native one, as is the result
Other dtypes (bool, int64, uint64, complex, ...) raise TypeError.

The bytes are those of `tavi process` on the same samples in a file (PNG,
TIFF, OpenEXR). The filter works on 8-bit colour premultiplied by alpha:
8-bit straight colour is premultiplied on the way in and divided back where
the filter changed a pixel; other samples are premultiplied, clamped to 0-1
and rounded to 8 bits, and only the filter's change is added to them, at
their own precision. A pixel the filter leaves alone keeps its samples
exactly. The image is copied once into a new result, not at all when out is
the image, and once more only where it must be converted (a list, the
other byte order).

Raises TypeError for a wrong type or dtype (of the image, of out, or of a
setting: str for target and alpha, int but not bool for strength and
threshold, bool for enabled) and for a missing or unknown argument,
ValueError for a wrong shape, a list of uneven rows or ints beyond 0 to
255, an out of the wrong shape, read-only, or with elements that share
memory, and a setting out of range; MemoryError when the filter cannot have
its memory. Messages name the argument and never show the image. The GIL is
released while the filter runs, so threads filtering different images run
at once.)";

}  // namespace

PYBIND11_MODULE(_tavi, m) {
    m.doc() = "Tavi, the post-render anti-aliasing filter, for numpy images (the compiled part of tavi).";
    m.attr("__version__") = tavi_version();  // the version the library code inside was built as
    // The arguments are checked by the module (lib/python/call_arguments.h).
    py::options options;
    options.disable_function_signatures();
    m.def("antialias", &antialias, kAntialiasDoc);
    tavi::python::defineAntialiasFile(m);
}

#include "lib/python/array_checks.h"

#include <climits>
#include <cstdint>

#include "host/base/shown_text.h"

namespace tavi::python {

namespace {

std::string shapeText(const py::array &a) {
    std::string text = "(";
    for (py::ssize_t i = 0; i < a.ndim(); ++i) text += (i ? ", " : "") + std::to_string(a.shape(i));
    return text + (a.ndim() == 1 ? ",)" : ")");
}

Samples samplesOf(const py::array &a) {
    const py::dtype type = a.dtype();
    if (type.equal(py::dtype::of<std::uint8_t>())) return Samples::uint8;
    if (type.equal(py::dtype::of<std::uint16_t>())) return Samples::uint16;
    if (type.equal(py::dtype("float16"))) return Samples::float16;
    if (type.equal(py::dtype::of<float>())) return Samples::float32;
    throw py::type_error("image has dtype " +
                         host::shownText(py::str(static_cast<const py::handle &>(type)).cast<std::string>()) +
                         "; tavi takes uint8, uint16, float16 or float32 samples in native byte order");
}

}  // namespace

ImageShape checkImage(const py::object &image) {
    if (!py::isinstance<py::array>(image))
        throw py::type_error("image must be a numpy array, not " +
                             image.get_type().attr("__name__").cast<std::string>());
    const auto a = py::reinterpret_borrow<py::array>(image);
    const Samples samples = samplesOf(a);
    if (a.ndim() != 3 || (a.shape(2) != 3 && a.shape(2) != 4))
        throw py::value_error("image has shape " + shapeText(a) +
                              "; tavi takes height x width x 3 (RGB) or height x width x 4 (RGBA)");
    if (a.shape(0) > INT_MAX || a.shape(1) > INT_MAX)
        throw py::value_error("image of shape " + shapeText(a) + " is too large: at most " + std::to_string(INT_MAX) +
                              " rows and columns");
    if (!(a.flags() & py::array::c_style))
        throw py::value_error("image is not C-contiguous (a slice or a transposed view?); "
                              "pass numpy.ascontiguousarray(image)");
    return {samples, int(a.shape(0)), int(a.shape(1)), int(a.shape(2))};
}

}  // namespace tavi::python

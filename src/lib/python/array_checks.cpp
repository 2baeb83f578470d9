#include "lib/python/array_checks.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/base/shown_text.h"

namespace tavi::python {

namespace {

constexpr const char *kSampleTypes = "uint8, uint16, uint32, int8, int16, int32, float16, float32 or float64";

py::module_ numpy() { return py::module_::import("numpy"); }

std::string typeName(const py::handle &value) { return Py_TYPE(value.ptr())->tp_name; }

std::string dtypeText(const py::dtype &type) {
    return host::shownText(py::str(static_cast<const py::handle &>(type)).cast<std::string>());
}

std::string shapeText(const py::array &a) {
    std::string text = "(";
    for (py::ssize_t i = 0; i < a.ndim(); ++i) text += (i ? ", " : "") + std::to_string(a.shape(i));
    return text + (a.ndim() == 1 ? ",)" : ")");
}

// The sample type of a dtype in native byte order, or nothing.
std::optional<host::frame::SampleType> samplesOf(const py::dtype &type) {
    using host::frame::SampleType;
    static const std::pair<const char *, SampleType> taken[] = {
        {"uint8", SampleType::uint8},  {"uint16", SampleType::uint16},   {"uint32", SampleType::uint32},
        {"int8", SampleType::int8},    {"int16", SampleType::int16},     {"int32", SampleType::int32},
        {"float16", SampleType::half}, {"float32", SampleType::float32}, {"float64", SampleType::float64},
    };
    for (const auto &[name, samples] : taken)
        if (type.equal(py::dtype(name))) return samples;
    return std::nullopt;
}

// numpy's own view of an object that is not an array; a list or tuple is
// copied. Raises TypeError for what holds no numbers.
py::array arrayOf(const py::object &image) {
    py::object made;
    try {
        made = numpy().attr("asarray")(image);
    } catch (py::error_already_set &e) {
        if (e.matches(PyExc_ValueError) && (py::isinstance<py::list>(image) || py::isinstance<py::tuple>(image)))
            throw py::value_error(
                "image is a list whose rows or pixels differ in length; numpy cannot make an "
                "array of it");
        throw py::type_error("image must be a numpy array or nested lists of numbers, not " + typeName(image));
    }
    const auto a = py::reinterpret_borrow<py::array>(made);
    const char kind = a.dtype().kind();
    if (kind == 'O' || kind == 'S' || kind == 'U' || kind == 'V' || kind == 'M' || kind == 'm')
        throw py::type_error("image must be a numpy array or nested lists of numbers, not " + typeName(image));
    return a;
}

// Python ints in a list mean 8-bit samples, as they do to painting
// programs and plotting libraries; numpy alone would make them int64.
py::array listOfIntsAsBytes(const py::array &a) {
    if (a.size() > 0) {
        const long long low = a.attr("min")().cast<long long>();
        const long long high = a.attr("max")().cast<long long>();
        if (low < 0 || high > 255)
            throw py::value_error("image is a list of ints, taken as 8-bit samples, but holds " +
                                  std::to_string(low < 0 ? low : high) +
                                  ", outside 0 to 255; for other samples pass a numpy array, such as "
                                  "numpy.array(image, numpy.uint16)");
    }
    return a.attr("astype")(py::dtype("uint8"));
}

[[noreturn]] void refuseDtype(const py::dtype &type) {
    std::string message = "image has dtype " + dtypeText(type) + "; tavi takes " + kSampleTypes + " samples";
    if ((type.kind() == 'i' || type.kind() == 'u') && type.itemsize() == 8)
        message += " (for samples from 0 to 255 pass image.astype(numpy.uint8))";
    throw py::type_error(message);
}

void checkShape(const py::array &a) {
    if (a.ndim() != 3 || (a.shape(2) != 3 && a.shape(2) != 4))
        throw py::value_error("image has shape " + shapeText(a) +
                              "; tavi takes height x width x 3 (RGB) or height x width x 4 (RGBA)");
    if (a.shape(0) > INT_MAX || a.shape(1) > INT_MAX)
        throw py::value_error("image of shape " + shapeText(a) + " is too large: at most " + std::to_string(INT_MAX) +
                              " rows and columns");
}

// Whether two elements may lie at one address (a broadcast or as_strided
// view): each axis's step, from the smallest, must clear all the elements
// the smaller steps reach.
bool mayShareElements(const py::array &a) {
    if (a.size() == 0) return false;
    std::vector<std::pair<py::ssize_t, py::ssize_t>> axes;  // |stride|, length
    for (py::ssize_t i = 0; i < a.ndim(); ++i)
        if (a.shape(i) > 1) axes.emplace_back(a.strides(i) < 0 ? -a.strides(i) : a.strides(i), a.shape(i));
    std::sort(axes.begin(), axes.end());
    py::ssize_t reach = a.itemsize();
    for (const auto &[stride, length] : axes) {
        if (stride < reach) return true;
        reach += stride * (length - 1);
    }
    return false;
}

}  // namespace

TakenImage takeImage(const py::object &image) {
    TakenImage taken{py::array(), host::frame::SampleType::uint8, false};
    if (py::isinstance<py::array>(image)) {
        taken.array = py::reinterpret_borrow<py::array>(image);
    } else {
        const bool list = py::isinstance<py::list>(image) || py::isinstance<py::tuple>(image);
        taken.array = arrayOf(image);
        taken.ownCopy = list;
        if (list && taken.array.dtype().equal(py::dtype::from_args(py::module_::import("builtins").attr("int"))))
            taken.array = listOfIntsAsBytes(taken.array);
    }
    const py::dtype type = taken.array.dtype();
    auto samples = samplesOf(type);
    if (!samples && !type.attr("isnative").cast<bool>()) {
        const py::dtype native = type.attr("newbyteorder")("=");
        samples = samplesOf(native);
        if (samples) {
            taken.array = taken.array.attr("astype")(native);
            taken.ownCopy = true;
        }
    }
    if (!samples) refuseDtype(type);
    taken.samples = *samples;
    checkShape(taken.array);
    return taken;
}

py::array checkOut(const py::object &out, const TakenImage &image) {
    const auto a = py::reinterpret_borrow<py::array>(out);
    if (!a.dtype().equal(image.array.dtype()))
        throw py::type_error("out has dtype " + dtypeText(a.dtype()) + ", not the result's " +
                             dtypeText(image.array.dtype()) +
                             ": the image's dtype in native byte order (uint8 for a list of ints)");
    if (a.ndim() != image.array.ndim() || !std::equal(a.shape(), a.shape() + a.ndim(), image.array.shape()))
        throw py::value_error("out has shape " + shapeText(a) + ", not the image's " + shapeText(image.array));
    if (!a.writeable()) throw py::value_error("out is read-only");
    if (mayShareElements(a))
        throw py::value_error(
            "out has elements that share memory (a broadcast or as_strided view?); pass an array "
            "whose elements are its own");
    return a;
}

}  // namespace tavi::python

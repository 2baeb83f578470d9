#include "lib/python/call_arguments.h"

#include <climits>
#include <string>

#include "host/base/shown_text.h"

namespace tavi::python {

namespace {

constexpr const char *kKeywords = "target, strength, threshold, alpha and enabled";
constexpr const char *kArrayKeywords = "out, target, strength, threshold, alpha and enabled";

std::string typeName(const py::handle &value) { return Py_TYPE(value.ptr())->tp_name; }

// A Python str as UTF-8, shown escaped and cut for messages.
std::string shownStr(const py::handle &text) { return host::shownText(py::str(text).cast<std::string>()); }

// numpy's scalar types, which a value taken from an array has.
bool isNumpy(const py::handle &value, const char *type) {
    const py::module_ numpy = py::module_::import("numpy");
    return py::isinstance(value, numpy.attr(type));
}

std::string text(const char *name, const py::handle &value, const char *example) {
    if (!py::isinstance<py::str>(value))
        throw py::type_error(std::string(name) + " must be a str such as \"" + example + "\", not " + typeName(value));
    return value.cast<std::string>();
}

int wholeNumber(const char *name, const py::handle &value, int low, int high) {
    const bool isBool = PyBool_Check(value.ptr()) || isNumpy(value, "bool_");
    const bool isInt = (PyLong_Check(value.ptr()) || isNumpy(value, "integer")) && !isBool;
    if (!isInt)
        throw py::type_error(std::string(name) + " must be an int from " + std::to_string(low) + " to " +
                             std::to_string(high) + ", not " + typeName(value));
    const py::int_ number = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr()));
    if (!number) throw py::error_already_set();
    int overflow = 0;
    const long long wide = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || wide < low || wide > high)
        throw py::value_error(std::string(name) + " " + shownStr(number) + " is outside " + std::to_string(low) +
                              " to " + std::to_string(high));
    return int(wide);
}

bool flag(const char *name, const py::handle &value) {
    if (PyBool_Check(value.ptr())) return value.ptr() == Py_True;
    if (isNumpy(value, "bool_")) return PyObject_IsTrue(value.ptr()) == 1;
    throw py::type_error(std::string(name) + " must be a bool (True or False), not " + typeName(value));
}

int targetNamed(const std::string &name) {
    if (name == "rgb") return TAVI_TARGET_RGB;
    if (name == "alpha") return TAVI_TARGET_ALPHA;
    if (name == "rgba") return TAVI_TARGET_RGBA;
    throw py::value_error("target \"" + host::shownText(name) + "\" is none of \"rgb\", \"alpha\" and \"rgba\"");
}

tavi_alpha alphaNamed(const std::string &name) {
    if (name == "straight") return TAVI_ALPHA_STRAIGHT;
    if (name == "premultiplied") return TAVI_ALPHA_PREMULTIPLIED;
    throw py::value_error("alpha \"" + host::shownText(name) + "\" is neither \"straight\" nor \"premultiplied\"");
}

// A setting every call takes, by keyword, into `settings`; false when
// `name` is none of them.
bool setting(const std::string &name, const py::handle &value, tavi_settings &settings) {
    if (name == "target")
        settings.target = targetNamed(text("target", value, "rgba"));
    else if (name == "strength")
        settings.strength = wholeNumber("strength", value, 0, 100);
    else if (name == "threshold")
        settings.threshold = wholeNumber("threshold", value, 0, 256);
    else if (name == "enabled")
        settings.enabled = flag("enabled", value) ? 1 : 0;
    else
        return false;
    return true;
}

// The array to write the result into: a numpy array, or None for a new one.
py::object outArray(const py::handle &value) {
    if (!value.is_none() && !py::isinstance<py::array>(value))
        throw py::type_error("out must be a numpy array (or None for a new one), not " + typeName(value));
    return py::reinterpret_borrow<py::object>(value);
}

// A file's path: a str, bytes or an os.PathLike giving either, as the
// system takes it. A str is encoded as Python's os functions encode it, so
// a name that is not UTF-8 (os.listdir gives it with surrogates) goes back
// as the bytes it was.
std::string pathNamed(const char *name, const py::handle &value) {
    if (!py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value) && !py::hasattr(value, "__fspath__"))
        throw py::type_error(std::string(name) + " must be a str, bytes or an os.PathLike, not " + typeName(value));
    const py::module_ os = py::module_::import("os");
    const py::object path = os.attr("fspath")(value);
    std::string bytes = os.attr("fsencode")(path).cast<std::string>();
    // The system's calls end a name at its first NUL: "b.png\0x" would
    // name b.png. Python's own os functions refuse it so.
    if (bytes.find('\0') != std::string::npos)
        throw py::value_error(std::string(name) + " " + py::repr(path).cast<std::string>() +
                              " holds a NUL character, which no file name can");
    return bytes;
}

}  // namespace

CallArguments checkArguments(const py::args &args, const py::kwargs &kwargs) {
    CallArguments call{py::none(), py::none(), tavi_default_settings(), TAVI_ALPHA_STRAIGHT};
    if (args.size() > 1)
        throw py::type_error("antialias() takes the image as its one positional argument, but " +
                             std::to_string(args.size()) + " were given; give " + kArrayKeywords + " by keyword");
    bool haveImage = args.size() == 1;
    if (haveImage) call.image = args[0];

    for (const auto &[key, value] : kwargs) {
        const std::string name = key.cast<std::string>();
        if (name == "image") {
            if (haveImage) throw py::type_error("antialias() got the image twice, by position and by keyword");
            call.image = py::reinterpret_borrow<py::object>(value);
            haveImage = true;
        } else if (name == "out") {
            call.out = outArray(value);
        } else if (name == "alpha") {
            call.alpha = alphaNamed(text("alpha", value, "straight"));
        } else if (!setting(name, value, call.settings)) {
            throw py::type_error("antialias() got an unexpected keyword argument '" + host::shownText(name) +
                                 "'; it takes the image, " + kArrayKeywords);
        }
    }
    if (!haveImage) throw py::type_error("antialias() missing its image, a numpy array or nested lists");
    return call;
}

FileCallArguments checkFileArguments(const py::args &args, const py::kwargs &kwargs) {
    FileCallArguments call{"", std::nullopt, tavi_default_settings(), "auto", ""};
    if (args.size() > 2)
        throw py::type_error("antialias_file() takes the path and the output as its positional arguments, but " +
                             std::to_string(args.size()) + " were given; give " + kKeywords + ", layer by keyword");
    bool havePath = !args.empty(), haveOutput = args.size() == 2;
    if (havePath) call.path = pathNamed("path", args[0]);
    if (haveOutput && !args[1].is_none()) call.output = pathNamed("output", args[1]);

    for (const auto &[key, value] : kwargs) {
        const std::string name = key.cast<std::string>();
        if (name == "path" || name == "output") {
            if ((name == "path" && havePath) || (name == "output" && haveOutput))
                throw py::type_error("antialias_file() got the " + name + " twice, by position and by keyword");
            (name == "path" ? havePath : haveOutput) = true;
            if (name == "path")
                call.path = pathNamed("path", value);
            else if (!value.is_none())
                call.output = pathNamed("output", value);
        } else if (name == "alpha") {
            call.alpha = text("alpha", value, "auto");
            if (call.alpha != "auto" && call.alpha != "straight" && call.alpha != "premultiplied")
                throw py::value_error("alpha \"" + host::shownText(call.alpha) +
                                      "\" is none of \"auto\", \"straight\" and \"premultiplied\"");
        } else if (name == "layer") {
            call.layer = text("layer", value, "beauty");
            if (call.layer.find('\0') != std::string::npos)
                throw py::value_error("layer \"" + host::shownText(call.layer) +
                                      "\" holds a NUL character, which no layer's name can");
        } else if (!setting(name, value, call.settings)) {
            throw py::type_error("antialias_file() got an unexpected keyword argument '" + host::shownText(name) +
                                 "'; it takes the path, the output, " + kKeywords + " and layer");
        }
    }
    if (!havePath) throw py::type_error("antialias_file() missing its path, the image file to filter");
    return call;
}

}  // namespace tavi::python

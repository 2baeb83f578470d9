#include "lib/python/file_filter.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "host/files/filter_file.h"
#include "host/loader/filter_module.h"
#include "lib/c/filter_pixels.h"
#include "lib/c/image_request.h"
#include "lib/python/call_arguments.h"

namespace py = pybind11;
namespace fs = std::filesystem;

namespace tavi::python {

namespace {

// How a run ended, kept while the GIL is released and raised once it is
// held again.
struct Outcome {
    PyObject *exception = nullptr;  // null: success
    std::string message;
    std::vector<std::string> notices;
};

host::files::AlphaChoice alphaChoice(const std::string &alpha) {
    if (alpha == "straight") return host::files::AlphaChoice::straight;
    if (alpha == "premultiplied") return host::files::AlphaChoice::premultiplied;
    return host::files::AlphaChoice::automatic;
}

// One frame through the command's own route, with the filter of the C
// library (the module's code, linked in).
Outcome filterFile(const fs::path &input, const fs::path &output, const std::string &layer, const std::string &alpha,
                   lib::ImageRequest request) {
    Outcome outcome;
    host::files::ReadRequest read;
    read.layer = layer;
    read.alpha = alphaChoice(alpha);
    const auto filter = [&](const host::frame::PixelView &pixels, host::frame::AlphaForm form) {
        request.pixels = pixels;
        request.form = form;
        return lib::filterPixels(request);
    };
    const auto notice = [&](const std::string &line) { outcome.notices.push_back(line); };
    try {
        const host::files::IoResult<host::files::FilteredFile> done =
            host::files::filterFile(input, output, read, filter, notice);
        // Memory failures, reading or filtering, are worded "not enough memory".
        if (!done)
            return {done.error().find("not enough memory") != std::string::npos ? PyExc_MemoryError : PyExc_OSError,
                    done.error(),
                    {}};
    } catch (const lib::FilterOutOfMemory &e) {
        return {PyExc_MemoryError, input.string() + ": " + e.what(), {}};
    } catch (const host::ModuleError &e) {
        return {PyExc_RuntimeError, input.string() + ": " + e.what(), {}};
    }
    return outcome;
}

// A message as Python shows it: the file names in it are the system's
// bytes, which need not be UTF-8, decoded as Python decodes file names.
py::str pythonText(const std::string &text) {
    PyObject *decoded = PyUnicode_DecodeFSDefaultAndSize(text.data(), py::ssize_t(text.size()));
    if (!decoded) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

py::list antialiasFile(const py::args &args, const py::kwargs &kwargs) {
    const FileCallArguments call = checkFileArguments(args, kwargs);
    auto checked = lib::checkSettings(lib::ImageRequest{}, call.settings);
    if (auto *refusal = std::get_if<lib::Refusal>(&checked)) throw py::value_error(refusal->message);

    Outcome outcome;
    {
        py::gil_scoped_release released;
        outcome = filterFile(call.path, call.output.value_or(call.path), call.layer, call.alpha,
                             std::get<lib::ImageRequest>(checked));
    }
    if (outcome.exception) {
        PyErr_SetObject(outcome.exception, pythonText(outcome.message).ptr());
        throw py::error_already_set();
    }
    py::list notices;
    for (const std::string &notice : outcome.notices) notices.append(pythonText(notice));
    return notices;
}

}  // namespace

void defineAntialiasFile(py::module_ &module) {
    module.def(
        "antialias_file", &antialiasFile,
        R"(antialias_file(path, output=None, *, target='rgba', strength=100, threshold=224, alpha='auto', layer='', enabled=True)
--

Anti-aliases an image file as `tavi process` does one frame.

path       the image file (PNG, TIFF, TGA, OpenEXR, ... as OpenImageIO reads):
           a str, bytes or os.PathLike, as Python's os functions take it
output     where the result goes, the same; None (the default) replaces `path`
target, strength, threshold, enabled   as for antialias()
alpha      "auto" (what the file says: OpenEXR and TIFF marked associated
           are premultiplied, the rest straight), "straight" or
           "premultiplied", for a file whose alpha is labelled wrong
layer      the layer or part whose R, G, B and A are filtered ("" is the
           unnamed layer or the first); every other channel and part is
           written back unchanged

The file is read with its samples as stored, the treated RGBA is handed to
the filter by the same rules and code as `tavi process`, and the result is
written to a hidden temporary file beside the output and renamed into
place, so a failure never leaves a half-written file and never touches the
one there. Returns the notices `tavi process` prints (what a format could
not hold). Raises OSError when the file cannot be read or written,
MemoryError when the frame does not fit, TypeError for an argument of the
wrong type and ValueError for a setting out of range or a path or layer
holding a NUL character; each message names the file or the argument. The GIL is released while it works.)");
}

}  // namespace tavi::python

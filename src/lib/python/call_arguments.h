// The arguments of tavi.antialias and tavi.antialias_file, checked by the
// module itself rather than by pybind11's overload matching, whose message
// names no argument and prints every argument's value: a 1080p image comes
// out as 52 lines.
// Each message names the argument and the type or value that was wrong,
// shows text values escaped and cut (host/base/shown_text.h), and never
// shows the image.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>

#include "tavi/tavi.h"

namespace tavi::python {

namespace py = pybind11;

struct CallArguments {
    py::object image;
    py::object out;  // a numpy array, or None
    tavi_settings settings;
    tavi_alpha alpha;
};

// The image, positional or by keyword, and by keyword out (a numpy array
// or None; lib/python/array_checks.h checks it against the image) and the
// settings: target and alpha as str, strength and threshold as int (not
// bool), enabled as bool; numpy's integer and bool scalars count as int and
// bool.
// Raises TypeError for a missing, unknown or repeated argument and a value
// of the wrong type, ValueError for a value out of range.
CallArguments checkArguments(const py::args &args, const py::kwargs &kwargs);

struct FileCallArguments {
    std::string path;                   // the name's bytes, as the system takes them
    std::optional<std::string> output;  // the same; none: the path itself
    tavi_settings settings;
    std::string alpha;  // "auto", "straight" or "premultiplied"
    std::string layer;
};

// The path and the output (None: in place), positional or by keyword, a
// str, bytes or os.PathLike each, as the system's bytes; the settings as
// checkArguments takes them, alpha also "auto", and layer a str. Raises
// ValueError for a path or layer holding a NUL character.
FileCallArguments checkFileArguments(const py::args &args, const py::kwargs &kwargs);

}  // namespace tavi::python

// tavi.antialias_file: one image file filtered as `tavi process` filters a
// frame, by the same code: read as stored, the treated layer's RGBA handed
// over by the frame rules, every other channel and part written back
// unchanged, the result put in place by the command's atomic write.
#pragma once

#include <pybind11/pybind11.h>

namespace tavi::python {

void defineAntialiasFile(pybind11::module_ &module);

}  // namespace tavi::python

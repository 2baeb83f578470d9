// The Tavi module linked into the library, started once for the process.
#pragma once

#include "host/loader/filter_module.h"

namespace tavi::lib {

// The module, checked, started and its handler activated on first use by
// whichever thread comes first; later callers wait for that and share it.
// Activation records the host's lookup in the module's own globals, so it
// must not run again while instances work. Throws ModuleError when the
// module refuses to start (tried again on the next call).
host::FilterModule &linkedModule();

}  // namespace tavi::lib

#include "lib/c/linked_module.h"

// The module's descriptor: the record a host reads first.
extern "C" ModuleDescriptor _mod_descrip;

namespace tavi::lib {

namespace {

// The library offers the module no services of its own (no panels): every
// lookup finds nothing, and no process-wide directory is involved.
void *noServices(const char * /*name*/, int /*useMode*/) { return nullptr; }

}  // namespace

host::FilterModule &linkedModule() {
    // A function-local static is initialised exactly once, even when
    // threads arrive together; a throw leaves it for the next caller.
    static host::FilterModule module(_mod_descrip, "tavi56 (linked into libtavi)", &noServices);
    return module;
}

}  // namespace tavi::lib

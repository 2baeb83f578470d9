#include <dlfcn.h>

#include <stdexcept>

#include "host/loader/dynamic_library.h"

namespace tavi::host {

DynamicLibrary::DynamicLibrary(const std::filesystem::path &file) {
    // An absolute path, so dlopen never searches the library path instead.
    const std::string path = std::filesystem::absolute(file).string();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *reason = dlerror();
        throw std::runtime_error(reason != nullptr ? reason : "dlopen failed");
    }
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

void *DynamicLibrary::symbol(const char *name) const { return dlsym(handle_, name); }

// ELF exports carry names only.
void *DynamicLibrary::symbolByOrdinal(int /*ordinal*/) const { return nullptr; }

}  // namespace tavi::host

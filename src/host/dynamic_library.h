// A shared library opened by path, closed when this object goes.
#pragma once

#include <filesystem>
#include <string>

namespace tavi::host {

class DynamicLibrary {
public:
    // Opens `file`. Throws std::runtime_error with the system's reason.
    explicit DynamicLibrary(const std::filesystem::path &file);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    // The address of an exported name, or null.
    void *symbol(const char *name) const;

private:
    void *handle_ = nullptr;
};

}  // namespace tavi::host

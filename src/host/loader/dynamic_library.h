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
    // The address of the export with this ordinal, or null. Only Windows
    // DLLs number their exports; elsewhere this is always null.
    void *symbolByOrdinal(int ordinal) const;

private:
    void *handle_ = nullptr;
};

}  // namespace tavi::host

// The module's exports as the host finds them: every listed name resolved,
// and where the platform numbers exports (Windows), every ordinal resolved
// to the same address as its name.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

#include "host/loader/dynamic_library.h"
#include "host/loader/filter_module.h"

namespace tavi::wincheck {

struct ListedExport {
    int ordinal;
    const char *name;
    bool data;
};

// The module's export list, in ordinal order.
std::span<const ListedExport> listedExports();

class ExportTable {
public:
    // Resolves every listed export through both handles on the module file.
    // Throws std::runtime_error naming the first export that is missing or
    // whose ordinal and name disagree.
    ExportTable(const host::FilterModule &module, const host::DynamicLibrary &library);

    // The address of a listed export, as found by ordinal where exports are
    // numbered, else by name. Throws std::runtime_error for unlisted names.
    void *address(std::string_view name) const;

    // Throws std::runtime_error unless the module descriptor points at the
    // exported Startup, Shutdown and ServerDesc.
    void checkDescriptor() const;

private:
    std::map<std::string, void *, std::less<>> addresses_;
};

}  // namespace tavi::wincheck

#include "export_table.h"

#include <stdexcept>

namespace tavi::wincheck {

namespace {

#ifdef _WIN32
constexpr bool kNumberedExports = true;
#else
constexpr bool kNumberedExports = false;
#endif

// Generated from the module's export list.
constexpr ListedExport kListed[] = {
#include "module_exports.inc"
};

template <typename Function>
void *address(Function function) {
    return reinterpret_cast<void *>(function);
}

}  // namespace

std::span<const ListedExport> listedExports() { return kListed; }

ExportTable::ExportTable(const host::FilterModule &module, const host::DynamicLibrary &library) {
    int last = 0;
    for (const ListedExport &e : kListed) {
        const std::string name = e.name;
        void *byName = module.symbol(e.name);
        if (byName == nullptr) throw std::runtime_error("the module does not export " + name);
        void *byOrdinal = library.symbolByOrdinal(e.ordinal);
        if (kNumberedExports && byOrdinal != byName)
            throw std::runtime_error("ordinal " + std::to_string(e.ordinal) + " does not resolve to " + name);
        if (!kNumberedExports && byOrdinal != nullptr)
            throw std::runtime_error("an ordinal resolved where exports carry names only");
        addresses_[name] = kNumberedExports ? byOrdinal : byName;
        last = e.ordinal;
    }
    if (library.symbolByOrdinal(last + 1) != nullptr)
        throw std::runtime_error("the module exports an unlisted ordinal " + std::to_string(last + 1));
}

void *ExportTable::address(std::string_view name) const {
    const auto it = addresses_.find(name);
    if (it == addresses_.end()) throw std::runtime_error("not a listed export: " + std::string(name));
    return it->second;
}

void ExportTable::checkDescriptor() const {
    const auto *descriptor = static_cast<const ModuleDescriptor *>(address("_mod_descrip"));
    if (wincheck::address(descriptor->startup) != address("Startup"))
        throw std::runtime_error("the module descriptor's start-up entry is not the exported Startup");
    if (wincheck::address(descriptor->shutdown) != address("Shutdown"))
        throw std::runtime_error("the module descriptor's shut-down entry is not the exported Shutdown");
    if (static_cast<const void *>(descriptor->servers) != address("ServerDesc"))
        throw std::runtime_error("the module descriptor's server table is not the exported ServerDesc");
}

}  // namespace tavi::wincheck

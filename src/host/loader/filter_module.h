// A filter module loaded the way the host loads it: open the file, check its
// descriptor, start it up, and activate its image-filter server. From then
// on the host reaches the filter only through the callbacks it handed over.
// A module linked into the program itself is started the same way from its
// descriptor, without a file.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/loader/dynamic_library.h"
#include "host/loader/host_globals.h"
#include "tavi56/host/host_records.h"

namespace tavi::host {

// A module that cannot be used; what() names the file and the problem.
class ModuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class FilterModule {
public:
    static constexpr const char *kHandlerClass = "ImageFilterHandler";
    static constexpr const char *kInterfaceClass = "ImageFilterInterface";

    // Loads `file` and activates its "ImageFilterHandler" server with
    // interface version 1. Throws ModuleError.
    explicit FilterModule(const std::filesystem::path &file, GlobalFunc global = &HostGlobals::lookup);
    // Checks, starts and activates a module whose code is linked in: the
    // same steps as for a file, from its descriptor. `name` stands for the
    // file in messages and file(). Throws ModuleError.
    FilterModule(const ModuleDescriptor &descriptor, const std::string &name, GlobalFunc global = &HostGlobals::lookup);
    // Calls the module's Shutdown, then closes it.
    ~FilterModule();
    FilterModule(const FilterModule &) = delete;
    FilterModule &operator=(const FilterModule &) = delete;

    const FilterCallbacks &callbacks() const { return callbacks_; }
    const std::filesystem::path &file() const { return file_; }
    // The handler server's name, as the module registered it.
    const std::string &serverName() const { return serverName_; }

    // Activates the module's "ImageFilterInterface" server on an instance,
    // which opens its settings panel. Returns the server's answer; throws
    // ModuleError when the module has no such server.
    int editSettings(InstanceRef instance);

    // An exported name of the module, or null (always null for a linked
    // module: it has no export table).
    void *symbol(const char *name) const { return library_ ? library_->symbol(name) : nullptr; }

private:
    void start();
    const ServerRecord *findServer(const char *className) const;
    [[noreturn]] void fail(const std::string &problem) const;

    std::filesystem::path file_;
    std::unique_ptr<DynamicLibrary> library_;
    const ModuleDescriptor *descriptor_ = nullptr;
    void *startupValue_ = nullptr;
    GlobalFunc global_ = nullptr;
    FilterCallbacks callbacks_{};
    std::string serverName_;
};

}  // namespace tavi::host

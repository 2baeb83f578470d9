// One instance of a loaded filter, driven only through the callbacks the
// module handed to the host.
#pragma once

#include <string>
#include <string_view>

#include "host/loader/filter_module.h"
#include "host/loader/memory_frame.h"
#include "host/loader/settings_block.h"

namespace tavi::host {

class HostedFilter {
public:
    // Creates an instance. Throws ModuleError when the module gives none.
    explicit HostedFilter(FilterModule &module);
    ~HostedFilter();
    HostedFilter(const HostedFilter &) = delete;
    HostedFilter &operator=(const HostedFilter &) = delete;

    InstanceRef instance() const { return instance_; }
    FilterModule &module() const { return module_; }

    // Restores the settings from a stored block (or a bare settings line).
    void load(std::string_view block);
    // The block the filter stores for its settings.
    SettingsBlock save();
    void process(MemoryFrame &frame);
    std::string describe();

private:
    FilterModule &module_;
    InstanceRef instance_ = nullptr;
};

}  // namespace tavi::host

#include "host/loader/hosted_filter.h"

namespace tavi::host {

HostedFilter::HostedFilter(FilterModule &module) : module_(module) {
    instance_ = module_.callbacks().create(nullptr);
    if (instance_ == nullptr) throw ModuleError(module_.file().string() + ": the filter could not create an instance");
}

HostedFilter::~HostedFilter() { module_.callbacks().destroy(instance_); }

void HostedFilter::load(std::string_view block) {
    SettingsBlock stored{block};
    module_.callbacks().load(instance_, stored.reader());
}

SettingsBlock HostedFilter::save() {
    SettingsBlock block;
    module_.callbacks().save(instance_, block.writer());
    return block;
}

void HostedFilter::process(MemoryFrame &frame) { module_.callbacks().process(instance_, frame.bind()); }

std::string HostedFilter::describe() {
    const char *text = module_.callbacks().describe(instance_);
    return text != nullptr ? text : "";
}

}  // namespace tavi::host

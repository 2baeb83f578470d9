#include "host/loader/filter_module.h"

#include <cstdio>
#include <cstring>
#include <fstream>

namespace tavi::host {

namespace {

std::string hex(unsigned int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

}  // namespace

void FilterModule::fail(const std::string &problem) const { throw ModuleError(file_.string() + ": " + problem); }

FilterModule::FilterModule(const std::filesystem::path &file, GlobalFunc global) : file_(file), global_(global) {
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) fail("no such file");
    if (std::filesystem::is_directory(file_, ec)) fail("is a folder, not a module file");
    if (!std::ifstream(file_, std::ios::binary)) fail("cannot be read (permission denied?)");

    try {
        library_ = std::make_unique<DynamicLibrary>(file_);
    } catch (const std::exception &e) {
        fail(std::string("not a loadable module: ") + e.what());
    }

    descriptor_ = static_cast<const ModuleDescriptor *>(library_->symbol("_mod_descrip"));
    if (descriptor_ == nullptr) fail("not a host module: it exports no _mod_descrip");
    start();
}

FilterModule::FilterModule(const ModuleDescriptor &descriptor, const std::string &name, GlobalFunc global)
    : file_(name), descriptor_(&descriptor), global_(global) {
    start();
}

void FilterModule::start() {
    if (descriptor_->sync != MODULE_SYNC)
        fail("module descriptor has sync value " + hex(descriptor_->sync) + ", expected " + hex(MODULE_SYNC));
    if (descriptor_->version != MODULE_DESCRIPTOR_VERSION)
        fail("module descriptor version " + std::to_string(descriptor_->version) + " is not supported (expected " +
             std::to_string(MODULE_DESCRIPTOR_VERSION) + ")");
    if (descriptor_->startup == nullptr || descriptor_->servers == nullptr)
        fail("module descriptor has no start-up entry or no server table");

    startupValue_ = descriptor_->startup();
    if (startupValue_ == nullptr) fail("the module's Startup failed");

    const ServerRecord *handler = findServer(kHandlerClass);
    if (handler == nullptr || handler->activate == nullptr) {
        if (descriptor_->shutdown != nullptr) descriptor_->shutdown(startupValue_);
        fail(std::string("no \"") + kHandlerClass + "\" server");
    }
    const int answer = handler->activate(1, global_, &callbacks_, nullptr);
    if (answer != 0) {
        if (descriptor_->shutdown != nullptr) descriptor_->shutdown(startupValue_);
        fail(std::string("the \"") + kHandlerClass + "\" server refused interface version 1 (answer " +
             std::to_string(answer) + ")");
    }
    serverName_ = handler->name != nullptr ? handler->name : "";
}

FilterModule::~FilterModule() {
    if (descriptor_ != nullptr && descriptor_->shutdown != nullptr) descriptor_->shutdown(startupValue_);
}

const ServerRecord *FilterModule::findServer(const char *className) const {
    for (const ServerRecord *s = descriptor_->servers; s->className != nullptr; ++s)
        if (std::strcmp(s->className, className) == 0) return s;
    return nullptr;
}

int FilterModule::editSettings(InstanceRef instance) {
    const ServerRecord *panel = findServer(kInterfaceClass);
    if (panel == nullptr || panel->activate == nullptr) fail(std::string("no \"") + kInterfaceClass + "\" server");
    return panel->activate(1, global_, instance, nullptr);
}

}  // namespace tavi::host

#include "host/loader/host_globals.h"

#include <map>
#include <mutex>

namespace tavi::host {

namespace {
std::mutex directoryLock;
std::map<std::string, void *, std::less<>> &directory() {
    static std::map<std::string, void *, std::less<>> records;
    return records;
}
}  // namespace

void HostGlobals::provide(const std::string &name, void *record) {
    std::lock_guard lock(directoryLock);
    if (record == nullptr)
        directory().erase(name);
    else
        directory()[name] = record;
}

void *HostGlobals::lookup(const char *name, int /*useMode*/) {
    if (name == nullptr) return nullptr;
    std::lock_guard lock(directoryLock);
    auto it = directory().find(std::string_view(name));
    return it == directory().end() ? nullptr : it->second;
}

}  // namespace tavi::host

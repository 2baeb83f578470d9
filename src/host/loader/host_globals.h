// What the host answers through its global lookup. The lookup function
// carries no context, so there is one directory for the whole process.
#pragma once

#include <string>

#include "tavi56/host/host_records.h"

namespace tavi::host {

class HostGlobals {
public:
    // Makes `record` the answer for `name` (replacing any earlier one); a
    // null record withdraws it. The record must outlive its use.
    static void provide(const std::string &name, void *record);
    // The lookup handed to modules: the record for `name`, or null.
    static void *lookup(const char *name, int useMode);
};

// Provides a record for as long as this object lives.
class ProvidedGlobal {
public:
    ProvidedGlobal(std::string name, void *record) : name_(std::move(name)) { HostGlobals::provide(name_, record); }
    ~ProvidedGlobal() { HostGlobals::provide(name_, nullptr); }
    ProvidedGlobal(const ProvidedGlobal &) = delete;
    ProvidedGlobal &operator=(const ProvidedGlobal &) = delete;

private:
    std::string name_;
};

}  // namespace tavi::host

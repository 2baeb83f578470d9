// A module built wrong on purpose, one way per build (see CMakeLists.txt),
// to check that the host's loader names each fault.
#include "tavi56/host/host_records.h"

#ifndef FAKE_SYNC
#define FAKE_SYNC MODULE_SYNC
#endif
#ifndef FAKE_VERSION
#define FAKE_VERSION MODULE_DESCRIPTOR_VERSION
#endif
#ifndef FAKE_HANDLER_ANSWER
#define FAKE_HANDLER_ANSWER 0
#endif

#ifndef FAKE_NO_DESCRIPTOR
namespace {
void *startup() { return reinterpret_cast<void *>(4); }
void shutdown(void *) {}
int handler(int, GlobalFunc, void *, void *) { return FAKE_HANDLER_ANSWER; }

#ifdef FAKE_NO_HANDLER
const ServerRecord servers[] = {{"ImageFilterInterface", "Fake", handler}, {nullptr, nullptr, nullptr}};
#else
const ServerRecord servers[] = {{"ImageFilterHandler", "Fake", handler}, {nullptr, nullptr, nullptr}};
#endif
}  // namespace

extern "C" {
__attribute__((visibility("default"))) ModuleDescriptor _mod_descrip = {
    FAKE_SYNC, FAKE_VERSION, MODULE_MACHINE, startup, shutdown, servers,
};
}
#else
extern "C" {
__attribute__((visibility("default"))) int not_a_descriptor = 1;
}
#endif

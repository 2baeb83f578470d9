#include "slib1/startup.h"

#include <cstdint>

extern "C" void *Startup(void) { return reinterpret_cast<void *>(std::uintptr_t{4}); }

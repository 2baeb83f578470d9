// The record the host reads first when it loads the module.
#include "filter/server_table.h"
#include "slib1/startup.h"
#include "slib2/shutdown.h"

extern "C" {
ModuleDescriptor _mod_descrip = {
    MODULE_SYNC, MODULE_DESCRIPTOR_VERSION, MODULE_MACHINE, Startup, Shutdown, ServerDesc,
};
}

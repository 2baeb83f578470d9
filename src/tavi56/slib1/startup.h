#pragma once

// Called once when the host loads the module. Returns a non-null value the
// host hands back to Shutdown; the module keeps no state.
extern "C" void *Startup(void);

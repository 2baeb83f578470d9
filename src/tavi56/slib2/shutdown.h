#pragma once

// Called when the host unloads the module; there is nothing to release.
extern "C" void Shutdown(void *startupValue);

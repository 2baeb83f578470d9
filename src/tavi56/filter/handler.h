// Activation of the "ImageFilterHandler" server.
#pragma once

#include "host/host_records.h"

// The host's global lookup as the last successful activation received it;
// null until then. The settings panel finds the panel services through it.
extern GlobalFunc global_func;

// Accepts interface version 1 only (1 otherwise, changing nothing); fills
// the FilterCallbacks record that `local` points at and keeps `global`.
int TaviHandler(int version, GlobalFunc global, void *local, void *serverData);

/*
 * The host records as a host written in C compiles them: their layout is
 * checked here for this build's data model (host_records_layout.h). No
 * code: a record that moves stops the build.
 */
#include "host/host_records_layout.h"

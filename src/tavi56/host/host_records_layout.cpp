// The host records as the module compiles them: their layout is checked
// here for this build's data model (host_records_layout.h), as the C host's
// view is in host_records_layout.c. No code: a record that moves stops the
// build.
#include "host/host_records_layout.h"

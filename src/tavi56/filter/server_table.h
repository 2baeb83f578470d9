// The servers the module offers the host, ended by an all-null record.
#pragma once

#include "host/host_records.h"

extern "C" const ServerRecord ServerDesc[];

#include "slib2/shutdown.h"

extern "C" void Shutdown(void * /*startupValue*/) {}

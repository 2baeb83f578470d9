#include "filter/server_table.h"

#include "filter/handler.h"

int TaviInterface(int version, GlobalFunc global, void *local, void *serverData);

extern "C" const ServerRecord ServerDesc[] = {
    {"ImageFilterHandler", "Tavi", TaviHandler},
    {"ImageFilterInterface", "Tavi", TaviInterface},
    {nullptr, nullptr, nullptr},
};

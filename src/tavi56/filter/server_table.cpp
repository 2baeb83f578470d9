#include "filter/server_table.h"

#include "filter/handler.h"
#include "panel/settings_panel.h"

extern "C" const ServerRecord ServerDesc[] = {
    {"ImageFilterHandler", "Tavi", TaviHandler},
    {"ImageFilterInterface", "Tavi", TaviInterface},
    {nullptr, nullptr, nullptr},
};

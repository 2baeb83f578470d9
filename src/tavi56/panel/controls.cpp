#include "panel/controls.h"

#include "panel/settings_panel.h"

int readControlInt(FilterInstance *inst, PanelControl which, int attribute) {
    inst->panelFuncs->getControlAttr(inst->ctl[which], attribute, &ival);
    return ival.v.intv;
}

// Where the settings panel keeps each control's handle in FilterInstance::ctl:
// the order in which the panel creates them.
#pragma once

#include "filter/instance.h"

enum PanelControl : int {
    TargetCtl = 0,
    EnabledCtl = 1,
    StrengthCtl = 2,
    PreviewTypeCtl = 3,
    DrawCtl = 4,
    ZoomCtl = 5,
    AutoCtl = 6,
    CanvasCtl = 7,
    DragCtl = 8,
    ThresholdCtl = 9,
};

// One integer attribute of one of the instance's controls, read through the
// shared value record.
int readControlInt(FilterInstance *inst, PanelControl which, int attribute);

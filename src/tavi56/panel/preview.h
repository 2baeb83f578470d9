// The preview on the settings panel: a 320x240 window of the last captured
// frame, run through the engine with the panel's settings and painted on
// the canvas at 1, 2, 4 or 8 times magnification.
#pragma once

#include "filter/instance.h"
#include "host/host_records.h"

// Zoom factors, indexed by FilterInstance::zoom.
extern const int ScaleTbl[4];

// A frame has been captured and every plane the preview needs is there.
bool previewPossible(const FilterInstance *inst);

// "Draw": copies the window, scans it and paints the result.
void But_Draw(ControlRef control, void *data);
// The drag button: scrolls the window against the pointer at half its
// speed and repaints it straight from the frame planes.
void Drg_Roll(ControlRef control, void *data);

extern "C" {
// Paints the preview planes on the canvas.
void DrawImage(FilterInstance *inst);
// Paints the window from the frame planes, without the scan.
void DrawDImage(FilterInstance *inst);
}

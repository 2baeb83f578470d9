// The filter's settings panel: the "ImageFilterInterface" server's
// activation and the callbacks of the panel's controls.
#pragma once

#include "filter/instance.h"
#include "host/host_records.h"

// Shared by every opening of the panel, which is why only one panel can be
// open at a time. `desc` describes the control being added; `ival` carries
// every integer, callback and data attribute; `ivecval` the drag button.
extern ControlDesc desc;
extern IntValue ival;
extern IVecValue ivecval;

// Opens the modal panel on the instance (`local`), stores the seven settings
// when it is confirmed and returns 0; 2 when there is no panel to show,
// which includes a handler that has not been activated yet.
int TaviInterface(int version, GlobalFunc global, void *local, void *serverData);

// Control callbacks; `data` is the instance.
void Bool_SpcBuf(ControlRef control, void *data);
void Sli_Str(ControlRef control, void *data);
void Sli_Thr(ControlRef control, void *data);
void Pop_Pre(ControlRef control, void *data);
void But_Auto(ControlRef control, void *data);
void Sli_Zoom(ControlRef control, void *data);

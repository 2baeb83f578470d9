#include "panel/settings_panel.h"

#include "filter/handler.h"
#include "panel/controls.h"
#include "panel/logo.h"
#include "panel/preview.h"

ControlDesc desc;
IntValue ival = {VALUE_INT, {0}};
IVecValue ivecval = {VALUE_IVEC, {0, 0, 0}};

namespace {

struct Position {
    int left;
    int top;
};

// Left and top edge of each control, in creation order.
constexpr Position kPositions[kControlCount] = {
    {7, 6}, {136, 6}, {7, 35}, {6, 72}, {136, 72}, {264, 72}, {178, 72}, {6, 96}, {240, 72}, {176, 35},
};

// Only the fields a kind uses are written; the others keep whatever the
// previous control left in the shared record.
void describeChoice(const char **items, int width) {
    desc.type = DESC_CHOICE;
    desc.u.choice.items = items;
    desc.u.choice.width = width;
}

void describeBool() { desc.type = DESC_BOOL; }

void describeRange(int width, int min, int max) {
    desc.type = DESC_RANGE;
    desc.u.range.width = width;
    desc.u.range.min = min;
    desc.u.range.max = max;
}

void describeArea(int width, int height) {
    desc.type = DESC_AREA;
    desc.u.area.width = width;
    desc.u.area.height = height;
}

void setInt(PanelServices *services, ControlRef control, int attribute, int value) {
    ival.v.intv = value;
    services->setControlAttr(control, attribute, &ival);
}

void attach(PanelServices *services, ControlRef control, FilterInstance *inst, ControlEventFunc callback) {
    ival.v.ptr = inst;
    services->setControlAttr(control, CONTROL_EVENT_DATA, &ival);
    ival.v.func = callback;
    services->setControlAttr(control, CONTROL_EVENT_FUNC, &ival);
}

FilterInstance *instanceOf(void *data) { return static_cast<FilterInstance *>(data); }

// The panel's eleven controls, in the order the host lays them out.
void buildControls(PanelServices *services, PanelRef panel, ControlRef ctl[kControlCount]) {
    const char *targetItems[] = {"RGB only", "Alpha only", "RGBA", nullptr};
    const char *previewItems[] = {"RGB", "Alpha", nullptr};
    describeChoice(targetItems, 80);
    ctl[TargetCtl] = services->addPanelControl(panel, "PopupControl", &desc, "Target");
    describeBool();
    ctl[EnabledCtl] = services->addPanelControl(panel, "BoolControl", &desc, "Enabled");
    describeRange(40, 0, 100);
    ctl[StrengthCtl] = services->addPanelControl(panel, "MiniSliderControl", &desc, "Strength");
    describeChoice(previewItems, 56);
    ctl[PreviewTypeCtl] = services->addPanelControl(panel, "PopupControl", &desc, "PreviewType");
    describeArea(40, 0);
    ctl[DrawCtl] = services->addPanelControl(panel, "ButtonControl", &desc, "Draw");
    describeRange(56, 0, 3);
    ctl[ZoomCtl] = services->addPanelControl(panel, "HSlideControl", &desc, "");
    describeBool();
    ctl[AutoCtl] = services->addPanelControl(panel, "BoolControl", &desc, "Auto");
    describeArea(kPreviewWidth, kPreviewHeight);
    ctl[CanvasCtl] = services->addPanelControl(panel, "CanvasControl", &desc, "");
    describeArea(16, 20);
    ctl[DragCtl] = services->addPanelControl(panel, "DragButtonControl", &desc, "");
    describeRange(40, 0, 256);
    ctl[ThresholdCtl] = services->addPanelControl(panel, "MiniSliderControl", &desc, "Threshold");

    for (int i = 0; i < kControlCount; ++i) {
        setInt(services, ctl[i], CONTROL_X, kPositions[i].left);
        setInt(services, ctl[i], CONTROL_Y, kPositions[i].top);
    }
}

// The controls start from the instance's settings; zoom and drag mean
// nothing until a preview has been drawn.
void showSettings(PanelServices *services, ControlRef ctl[kControlCount], FilterInstance *inst) {
    setInt(services, ctl[TargetCtl], CONTROL_VALUE, inst->target);
    setInt(services, ctl[EnabledCtl], CONTROL_VALUE, inst->enabled);
    setInt(services, ctl[StrengthCtl], CONTROL_VALUE, inst->strength);
    setInt(services, ctl[PreviewTypeCtl], CONTROL_VALUE, inst->previewType);
    services->renderControl(ctl[DrawCtl], inst->haveFrame ? RENDER_NORMAL : RENDER_DISABLED);
    setInt(services, ctl[ZoomCtl], CONTROL_VALUE, inst->zoom);
    setInt(services, ctl[AutoCtl], CONTROL_VALUE, inst->autoDraw);
    setInt(services, ctl[ThresholdCtl], CONTROL_VALUE, inst->threshold);

    // A preview drawn from this panel scans the channel PreviewType shows.
    inst->curStrength = inst->strength;
    inst->curThreshold = inst->threshold;
    inst->curMode = inst->previewType + 1;

    services->renderControl(ctl[ZoomCtl], RENDER_DISABLED);
    services->renderControl(ctl[DragCtl], RENDER_DISABLED);
    services->renderControl(ctl[ZoomCtl], RENDER_HIDDEN);
    services->renderControl(ctl[DragCtl], RENDER_HIDDEN);
}

void attachCallbacks(PanelServices *services, PanelRef panel, ControlRef ctl[kControlCount], FilterInstance *inst) {
    attach(services, ctl[EnabledCtl], inst, Bool_SpcBuf);
    attach(services, ctl[StrengthCtl], inst, Sli_Str);
    attach(services, ctl[PreviewTypeCtl], inst, Pop_Pre);
    attach(services, ctl[DrawCtl], inst, But_Draw);
    attach(services, ctl[ZoomCtl], inst, Sli_Zoom);
    attach(services, ctl[AutoCtl], inst, But_Auto);
    attach(services, ctl[DragCtl], inst, Drg_Roll);
    attach(services, ctl[ThresholdCtl], inst, Sli_Thr);
    services->setPanelAttr(panel, PANEL_DRAW_FUNC, reinterpret_cast<void *>(&redraw));
    services->setPanelAttr(panel, PANEL_DRAW_DATA, inst);
}

// On OK the settings take the controls' values; their ranges bound them.
void readBackSettings(FilterInstance *inst) {
    inst->target = readControlInt(inst, TargetCtl, CONTROL_VALUE);
    inst->enabled = static_cast<std::uint8_t>(readControlInt(inst, EnabledCtl, CONTROL_VALUE));
    inst->strength = readControlInt(inst, StrengthCtl, CONTROL_VALUE);
    inst->previewType = readControlInt(inst, PreviewTypeCtl, CONTROL_VALUE);
    inst->zoom = readControlInt(inst, ZoomCtl, CONTROL_VALUE);
    inst->autoDraw = static_cast<std::uint8_t>(readControlInt(inst, AutoCtl, CONTROL_VALUE));
    inst->threshold = readControlInt(inst, ThresholdCtl, CONTROL_VALUE);
}

}  // namespace

int TaviInterface(int /*version*/, GlobalFunc /*global*/, void *local, void * /*serverData*/) {
    // Opened before any handler activation there is no lookup to ask.
    if (global_func == nullptr) return 2;
    auto *services = static_cast<PanelServices *>(global_func("LWPanelServices", 0));
    if (services == nullptr) return 2;
    PanelRef panel = services->makePanel("Tavi ver. 1.05", services);
    if (panel == nullptr) return 2;
    FilterInstance *inst = instanceOf(local);

    ControlRef ctl[kControlCount];
    buildControls(services, panel, ctl);
    showSettings(services, ctl, inst);
    inst->panelFuncs = services;
    inst->panel = panel;
    for (int i = 0; i < kControlCount; ++i) inst->ctl[i] = ctl[i];

    int width = 340;
    int height = 370;
    services->setPanelAttr(panel, PANEL_WIDTH, &width);
    services->setPanelAttr(panel, PANEL_HEIGHT, &height);
    attachCallbacks(services, panel, ctl, inst);

    if (services->runPanel(panel, 3) == 1) readBackSettings(inst);
    services->dropPanel(panel);
    return 0;
}

void Bool_SpcBuf(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    inst->enabled = static_cast<std::uint8_t>(readControlInt(inst, EnabledCtl, CONTROL_VALUE));
}

// The sliders act on the run values at once; the settings themselves change
// only when the panel is confirmed.
void Sli_Str(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    inst->curStrength = readControlInt(inst, StrengthCtl, CONTROL_VALUE);
}

void Sli_Thr(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    inst->curThreshold = readControlInt(inst, ThresholdCtl, CONTROL_VALUE);
}

void Pop_Pre(ControlRef control, void *data) {
    FilterInstance *inst = instanceOf(data);
    const int shown = readControlInt(inst, PreviewTypeCtl, CONTROL_VALUE);
    inst->previewType = shown;
    inst->curMode = shown + 1;
    if (previewPossible(inst)) But_Draw(control, data);
}

void But_Auto(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    inst->autoDraw = static_cast<std::uint8_t>(readControlInt(inst, AutoCtl, CONTROL_VALUE));
}

// Keeps the shown block inside the frame at the new zoom; the canvas keeps
// its picture until the next paint.
void Sli_Zoom(ControlRef /*control*/, void *data) {
    FilterInstance *inst = instanceOf(data);
    inst->zoom = readControlInt(inst, ZoomCtl, CONTROL_VALUE);
    if (!previewPossible(inst)) return;
    const int scale = ScaleTbl[inst->zoom];
    const int shownWidth = kPreviewWidth / scale;
    if (inst->viewX + shownWidth > inst->width) inst->viewX = inst->width - shownWidth;
    if (inst->viewX < 0) inst->viewX = 0;
    const int shownHeight = kPreviewHeight / scale;
    if (inst->viewY + shownHeight > inst->height) inst->viewY = inst->height - shownHeight;
    if (inst->viewY < 0) inst->viewY = 0;
}

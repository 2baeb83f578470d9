#include "host/panel/panel_services.h"

#include <algorithm>

#include "host/panel/panel_layout.h"
#include "host/panel/panel_painter.h"

namespace tavi::host {

namespace {

HostPanel *panelOf(PanelRef ref) { return static_cast<HostPanel *>(ref); }
HostControl *controlOf(ControlRef ref) { return static_cast<HostControl *>(ref); }

std::string numbered(const HostControl &control) { return "#" + std::to_string(control.state.number); }

std::uint8_t channel(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

PanelHost::PanelHost() {
    static const PanelDrawing drawing = {&PanelHost::plotRGB, &PanelHost::plotBorder};
    services_.makePanel = &PanelHost::makePanel;
    services_.addPanelControl = &PanelHost::addPanelControl;
    services_.setPanelAttr = &PanelHost::setPanelAttr;
    services_.runPanel = &PanelHost::runPanel;
    services_.dropPanel = &PanelHost::dropPanel;
    services_.getControlAttr = &PanelHost::getControlAttr;
    services_.setControlAttr = &PanelHost::setControlAttr;
    services_.renderControl = &PanelHost::renderControl;
    services_.drawFuncs = &drawing;
    services_.hostData = this;
}

PanelHost::~PanelHost() = default;

void PanelHost::record(std::string call) {
    if (recording_) calls_.push_back(std::move(call));
}

PanelRef PanelHost::makePanel(const char *title, PanelServices *services) {
    if (services == nullptr || services->hostData == nullptr) return nullptr;
    auto &host = *static_cast<PanelHost *>(services->hostData);
    const std::string name = title != nullptr ? title : "";
    host.record("makePanel \"" + name + "\"");
    host.panels_.push_back(std::make_unique<HostPanel>(host, name));
    return host.panels_.back().get();
}

ControlRef PanelHost::addPanelControl(PanelRef panelRef, const char *kind, ControlDesc *desc, const char *label) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr || kind == nullptr) return nullptr;
    HostControl *control = panel->addControl(kind, desc, label != nullptr ? label : "");
    panel->host().record("addPanelControl " + (control ? numbered(*control) : std::string("?")) + " " + kind + " \"" +
                         (label != nullptr ? label : "") + "\"");
    return control;
}

void PanelHost::setPanelAttr(PanelRef panelRef, int attribute, void *value) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr) return;
    std::string shown = "?";
    switch (attribute) {
    case PANEL_WIDTH:
    case PANEL_HEIGHT:
        if (value == nullptr) break;
        if (const int size = *static_cast<const int *>(value); attribute == PANEL_WIDTH)
            panel->resize(size, panel->height());
        else
            panel->resize(panel->width(), size);
        shown = std::to_string(*static_cast<const int *>(value));
        break;
    case PANEL_DRAW_FUNC:
        panel->drawFunc = reinterpret_cast<PanelDrawFunc>(value);
        shown = value != nullptr ? "func" : "null";
        break;
    case PANEL_DRAW_DATA:
        panel->drawData = value;
        shown = value != nullptr ? "data" : "null";
        break;
    default: break;
    }
    panel->host().record("setPanelAttr " + std::to_string(attribute) + " " + shown);
}

int PanelHost::runPanel(PanelRef panelRef, int flags) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr) return 0;
    panel->host().record("runPanel " + std::to_string(flags));
    return panel->host().run(*panel, flags);
}

int PanelHost::run(HostPanel &panel, int /*flags*/) {
    if (panel.running()) return 0;  // already on screen; a second run has no user
    panel.open();
    const int result = driver_ ? driver_(panel) : 0;

    SessionRecord session;
    session.title = panel.title();
    session.result = result;
    session.panel = panel.picture();
    session.canvas = panel.canvasPicture();
    for (const auto &control : panel.controls()) session.controls.push_back(control->state);
    session.drawFunc = panel.drawFunc;
    session.drawData = panel.drawData;
    lastSession_ = std::move(session);

    panel.finish();
    return result;
}

void PanelHost::dropPanel(PanelRef panelRef) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr) return;
    PanelHost &host = panel->host();
    host.record("dropPanel");
    // A panel dropped from inside its own run would pull the ground from
    // under the session; it stays until the host goes.
    if (panel->running()) return;
    std::erase_if(host.panels_, [panel](const auto &owned) { return owned.get() == panel; });
}

void PanelHost::getControlAttr(ControlRef controlRef, int attribute, void *value) {
    HostControl *control = controlOf(controlRef);
    if (control == nullptr) return;
    control->panel->host().record("getControlAttr " + numbered(*control) + " " + std::to_string(attribute));
    if (value == nullptr) return;
    const ControlState &state = control->state;
    const int type = *static_cast<const int *>(value);
    if (type == VALUE_IVEC) {
        if (attribute != CONTROL_VALUE) return;
        auto *vec = static_cast<IVecValue *>(value);
        std::copy(state.value.begin(), state.value.end(), vec->val);
        return;
    }
    if (type != VALUE_INT) return;
    auto *one = static_cast<IntValue *>(value);
    switch (attribute) {
    case CONTROL_X: one->v.intv = state.x; break;
    case CONTROL_Y: one->v.intv = state.y; break;
    case CONTROL_VALUE: one->v.intv = state.value[0]; break;
    case CONTROL_AREA_X: one->v.intv = areaLeft(state); break;
    case CONTROL_AREA_Y: one->v.intv = areaTop(state); break;
    case CONTROL_EVENT_FUNC: one->v.func = state.onEvent; break;
    case CONTROL_EVENT_DATA: one->v.ptr = state.eventData; break;
    default: break;
    }
}

void PanelHost::setControlAttr(ControlRef controlRef, int attribute, void *value) {
    HostControl *control = controlOf(controlRef);
    if (control == nullptr) return;
    PanelHost &host = control->panel->host();
    const std::string prefix = "setControlAttr " + numbered(*control) + " " + std::to_string(attribute) + " ";
    if (value == nullptr) {
        host.record(prefix + "?");
        return;
    }
    const int type = *static_cast<const int *>(value);
    if (type == VALUE_IVEC && attribute == CONTROL_VALUE) {
        const auto *vec = static_cast<const IVecValue *>(value);
        host.record(prefix + std::to_string(vec->val[0]) + " " + std::to_string(vec->val[1]) + " " +
                    std::to_string(vec->val[2]));
        control->panel->setValue(*control, {vec->val[0], vec->val[1], vec->val[2]});
        return;
    }
    if (type != VALUE_INT) {
        host.record(prefix + "?");
        return;
    }
    const auto *one = static_cast<const IntValue *>(value);
    ControlState &state = control->state;
    switch (attribute) {
    case CONTROL_X:
        state.x = one->v.intv;
        host.record(prefix + std::to_string(one->v.intv));
        break;
    case CONTROL_Y:
        state.y = one->v.intv;
        host.record(prefix + std::to_string(one->v.intv));
        break;
    case CONTROL_VALUE:
        host.record(prefix + std::to_string(one->v.intv));
        control->panel->setValue(*control, {one->v.intv, 0, 0});
        break;
    case CONTROL_EVENT_FUNC:
        state.onEvent = one->v.func;
        host.record(prefix + (one->v.func != nullptr ? "func" : "null"));
        break;
    case CONTROL_EVENT_DATA:
        state.eventData = one->v.ptr;
        host.record(prefix + (one->v.ptr != nullptr ? "data" : "null"));
        break;
    default:  // the drawing area's origin is the host's to say
        host.record(prefix + "?");
        break;
    }
}

void PanelHost::renderControl(ControlRef controlRef, int mode) {
    HostControl *control = controlOf(controlRef);
    if (control == nullptr) return;
    control->panel->host().record("renderControl " + numbered(*control) + " " + std::to_string(mode));
    control->panel->setMode(*control, mode);
}

void PanelHost::plotRGB(PanelRef panelRef, int red, int green, int blue, int x, int y) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr) return;
    ++panel->host().plotCalls_;
    pictures::plot(panel->picture(), x, y, {channel(red), channel(green), channel(blue)});
}

void PanelHost::plotBorder(PanelRef panelRef, int indent, int x, int y, int width, int height) {
    HostPanel *panel = panelOf(panelRef);
    if (panel == nullptr) return;
    panel->host().record("plotBorder " + std::to_string(indent) + " " + std::to_string(x) + " " + std::to_string(y) +
                         " " + std::to_string(width) + " " + std::to_string(height));
    drawBorder(panel->picture(), indent, x, y, width, height);
}

}  // namespace tavi::host

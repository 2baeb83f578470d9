#include "host/panel/host_panel.h"

#include <algorithm>

#include "host/panel/panel_layout.h"
#include "host/panel/panel_painter.h"

namespace tavi::host {

HostPanel::HostPanel(PanelHost &host, std::string title)
    : host_(host), title_(std::move(title)), picture_(kDefaultPanelWidth, kDefaultPanelHeight) {
    paintBackground(picture_);
}

void HostPanel::resize(int width, int height) {
    width = std::clamp(width, 1, kLargestPanelSide);
    height = std::clamp(height, 1, kLargestPanelSide);
    if (width == picture_.width && height == picture_.height) return;
    picture_ = RgbaImage(width, height);
    paintBackground(picture_);
}

HostControl *HostPanel::addControl(std::string_view kindText, const ControlDesc *desc, std::string_view label) {
    const auto kind = controlKindFromText(kindText);
    if (!kind) return nullptr;
    ControlState state;
    state.number = int(controls_.size()) + 1;
    state.kind = *kind;
    state.kindText = std::string(kindText);
    state.label = std::string(label);
    if (desc != nullptr) state.spec = ControlSpec::from(*desc);
    controls_.push_back(std::make_unique<HostControl>(HostControl{this, std::move(state)}));
    return controls_.back().get();
}

HostControl *HostPanel::findControl(std::string_view name) const {
    for (const auto &control : controls_)
        if (control->state.label == name) return control.get();
    if (name == "Zoom")
        for (const auto &control : controls_)
            if (control->state.label.empty() && control->state.kind == ControlKind::HSlide) return control.get();
    return nullptr;
}

HostControl *HostPanel::findKind(ControlKind kind) const {
    for (const auto &control : controls_)
        if (control->state.kind == kind) return control.get();
    return nullptr;
}

void HostPanel::setValue(HostControl &control, const std::array<int, 3> &values) {
    storeValue(control.state, values);
    repaint(control);
}

void HostPanel::setMode(HostControl &control, int mode) {
    control.state.mode = std::clamp(mode, int(RENDER_HIDDEN), int(RENDER_DISABLED));
    repaint(control);
}

RgbaImage HostPanel::canvasPicture() const {
    const HostControl *canvas = findKind(ControlKind::Canvas);
    if (canvas == nullptr) return {};
    const int left = areaLeft(canvas->state);
    const int top = areaTop(canvas->state);
    RgbaImage crop(std::max(canvas->state.spec.width, 0), std::max(canvas->state.spec.height, 0));
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x) {
            std::uint8_t *to = crop.at(x, y);
            const int px = left + x;
            const int py = top + y;
            if (px < 0 || py < 0 || px >= picture_.width || py >= picture_.height) {
                to[3] = 255;  // beyond the panel: black
                continue;
            }
            const std::uint8_t *from = picture_.at(px, py);
            std::copy(from, from + 4, to);
        }
    return crop;
}

void HostPanel::open() {
    paintBackground(picture_);
    for (const auto &control : controls_) {
        if (control->state.kind == ControlKind::Canvas && control->state.mode != RENDER_HIDDEN)
            clearDrawingArea(picture_, control->state);
        paintControl(picture_, control->state);
    }
    running_ = true;
    if (drawFunc != nullptr) drawFunc(this, drawData);
}

std::optional<std::string> HostPanel::refuseUnusable(const HostControl &control) const {
    if (control.state.mode == RENDER_HIDDEN) return displayName(control.state) + " is hidden";
    if (control.state.mode == RENDER_DISABLED) return displayName(control.state) + " is disabled";
    return std::nullopt;
}

std::optional<std::string> HostPanel::userSet(HostControl &control, int value) {
    const auto range = valueRange(control.state);
    if (!range) return displayName(control.state) + " has no value to set";
    if (value < range->min || value > range->max)
        return std::to_string(value) + " is outside " + displayName(control.state) + "'s range " +
               std::to_string(range->min) + " to " + std::to_string(range->max);
    if (auto refusal = refuseUnusable(control)) return refusal;
    setValue(control, {value, 0, 0});
    fire(control);
    return std::nullopt;
}

std::optional<std::string> HostPanel::userClick(HostControl &control) {
    if (control.state.kind != ControlKind::Button) return displayName(control.state) + " is not a button";
    if (auto refusal = refuseUnusable(control)) return refusal;
    fire(control);
    return std::nullopt;
}

std::optional<std::string> HostPanel::userDrag(HostControl &control, int x, int y, bool start) {
    if (control.state.kind != ControlKind::DragButton) return displayName(control.state) + " is not a drag button";
    if (auto refusal = refuseUnusable(control)) return refusal;
    setValue(control, {x, y, start ? 1 : 0});
    fire(control);
    return std::nullopt;
}

void HostPanel::fire(HostControl &control) {
    if (control.state.onEvent != nullptr) control.state.onEvent(&control, control.state.eventData);
}

void HostPanel::repaint(const HostControl &control) {
    if (running_) paintControl(picture_, control.state);
}

}  // namespace tavi::host

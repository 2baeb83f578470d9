#include "host/panel/panel_layout.h"

#include <algorithm>

#include "host/pictures/pixel_font.h"

namespace tavi::host {

bool labelBesideBody(const ControlState &control) {
    return !control.label.empty() && control.kind != ControlKind::Button;
}

Box labelBox(const ControlState &control) {
    if (!labelBesideBody(control)) return {control.x, control.y, 0, 0};
    return {control.x, control.y, pictures::textWidth(control.label), kBodyHeight};
}

Box bodyBox(const ControlState &control) {
    const int left = labelBesideBody(control) ? control.x + pictures::textWidth(control.label) + kLabelGap : control.x;
    const ControlSpec &spec = control.spec;
    switch (control.kind) {
    case ControlKind::Bool: return {left, control.y + 2, 14, 14};
    case ControlKind::Button:
        return {left, control.y, std::max(spec.width, pictures::textWidth(control.label) + 8),
                std::max(spec.height, kBodyHeight)};
    case ControlKind::Canvas:
        return {left, control.y, std::max(spec.width, 0) + 2 * kAreaInset, std::max(spec.height, 0) + 2 * kAreaInset};
    case ControlKind::DragButton: return {left, control.y, std::max(spec.width, 1), std::max(spec.height, 1)};
    case ControlKind::Popup:
    case ControlKind::MiniSlider:
    case ControlKind::HSlide: break;
    }
    return {left, control.y, std::max(spec.width, 1), kBodyHeight};
}

Box controlBox(const ControlState &control) {
    const Box body = bodyBox(control);
    const int right = body.x + body.width;
    const int bottom = std::max(body.y + body.height, control.y + kBodyHeight);
    return {control.x, control.y, right - control.x, bottom - control.y};
}

int areaLeft(const ControlState &control) { return bodyBox(control).x + kAreaInset; }
int areaTop(const ControlState &control) { return bodyBox(control).y + kAreaInset; }

}  // namespace tavi::host

#include "host/panel/panel_painter.h"

#include <algorithm>
#include <string>

namespace tavi::host {

namespace {

constexpr pictures::Colour kText{16, 16, 16};
constexpr pictures::Colour kGreyText{104, 104, 110};
constexpr pictures::Colour kBodyFill{196, 196, 200};
constexpr pictures::Colour kFieldFill{232, 232, 236};
constexpr pictures::Colour kAccent{70, 110, 200};

void hLine(RgbaImage &picture, int x, int y, int width, pictures::Colour colour) {
    fillBox(picture, {x, y, width, 1}, colour);
}
void vLine(RgbaImage &picture, int x, int y, int height, pictures::Colour colour) {
    fillBox(picture, {x, y, 1, height}, colour);
}

void bevel(RgbaImage &picture, Box box, pictures::Colour topLeft, pictures::Colour bottomRight, int depth) {
    for (int d = 0; d < depth; ++d) {
        const Box b{box.x + d, box.y + d, box.width - 2 * d, box.height - 2 * d};
        if (b.width <= 0 || b.height <= 0) return;
        hLine(picture, b.x, b.y, b.width, topLeft);
        vLine(picture, b.x, b.y, b.height, topLeft);
        hLine(picture, b.x, b.y + b.height - 1, b.width, bottomRight);
        vLine(picture, b.x + b.width - 1, b.y, b.height, bottomRight);
    }
}

void raised(RgbaImage &picture, Box box, bool enabled) {
    fillBox(picture, box, enabled ? kBodyFill : kPanelGrey);
    bevel(picture, box, kHighlight, kShadow, 1);
}

void sunken(RgbaImage &picture, Box box, bool enabled) {
    fillBox(picture, box, enabled ? kFieldFill : kPanelGrey);
    bevel(picture, box, kShadow, kHighlight, 1);
}

// Share of the way from min to max, in pixels of `length`.
int along(const ControlState &control, int length) {
    const auto range = valueRange(control);
    if (!range || range->max <= range->min || length <= 0) return 0;
    const long long part = (long long)(control.value[0] - range->min) * length / (range->max - range->min);
    return int(std::clamp<long long>(part, 0, length));
}

void paintPopup(RgbaImage &picture, const ControlState &control, Box body, bool enabled, pictures::Colour text) {
    raised(picture, body, enabled);
    const int index = control.value[0];
    if (index >= 0 && index < int(control.spec.items.size()))
        pictures::drawText(picture, body.x + 4, body.y + 6, control.spec.items[std::size_t(index)], text);
    // A small arrow pointing down at the right end.
    const int ax = body.x + body.width - 10;
    for (int row = 0; row < 3; ++row) hLine(picture, ax + row, body.y + 8 + row, 5 - 2 * row, text);
}

void paintBool(RgbaImage &picture, const ControlState &control, Box body, bool enabled, pictures::Colour text) {
    sunken(picture, body, enabled);
    if (control.value[0] != 0) fillBox(picture, {body.x + 4, body.y + 4, body.width - 8, body.height - 8}, text);
}

void paintMiniSlider(RgbaImage &picture, const ControlState &control, Box body, bool enabled, pictures::Colour text) {
    sunken(picture, body, enabled);
    pictures::drawText(picture, body.x + 4, body.y + 4, std::to_string(control.value[0]), text);
    const int inner = body.width - 4;
    fillBox(picture, {body.x + 2, body.y + body.height - 4, along(control, inner), 2}, enabled ? kAccent : kGreyText);
}

void paintHSlide(RgbaImage &picture, const ControlState &control, Box body, bool enabled) {
    fillBox(picture, body, kPanelGrey);
    const Box track{body.x, body.y + 7, body.width, 4};
    sunken(picture, track, enabled);
    const int knobWidth = 8;
    raised(picture, {body.x + along(control, body.width - knobWidth), body.y + 2, knobWidth, body.height - 4}, enabled);
}

void paintButton(RgbaImage &picture, const ControlState &control, Box body, bool enabled, pictures::Colour text) {
    raised(picture, body, enabled);
    pictures::drawText(picture, body.x + (body.width - pictures::textWidth(control.label)) / 2,
                       body.y + (body.height - pictures::kGlyphHeight) / 2, control.label, text);
}

void paintDragButton(RgbaImage &picture, Box body, bool enabled, pictures::Colour text) {
    raised(picture, body, enabled);
    const int cx = body.x + body.width / 2;
    const int cy = body.y + body.height / 2;
    hLine(picture, cx - 3, cy, 7, text);
    vLine(picture, cx, cy - 3, 7, text);
}

void paintCanvasFrame(RgbaImage &picture, Box body) { bevel(picture, body, kShadow, kHighlight, kAreaInset); }

}  // namespace

void fillBox(RgbaImage &picture, Box box, pictures::Colour colour) {
    const int left = std::max(box.x, 0);
    const int top = std::max(box.y, 0);
    const int right = std::min<long long>((long long)box.x + box.width, picture.width);
    const int bottom = std::min<long long>((long long)box.y + box.height, picture.height);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) pictures::plot(picture, x, y, colour);
}

void drawBorder(RgbaImage &picture, int indent, int x, int y, int width, int height) {
    // No panel is anywhere near this large; refusing keeps the sums in range.
    constexpr int kFar = 1 << 20;
    for (int v : {x, y, width, height})
        if (v < -kFar || v > kFar) return;
    if (width < 0 || height < 0) return;
    if (height == 0) {
        hLine(picture, x, y, width, kShadow);
        hLine(picture, x, y + 1, width, kHighlight);
    } else if (width == 0) {
        vLine(picture, x, y, height, kShadow);
        vLine(picture, x + 1, y, height, kHighlight);
    } else {
        bevel(picture, {x, y, width, height}, kShadow, kHighlight, std::max(indent, 1));
    }
}

void paintBackground(RgbaImage &picture) { fillBox(picture, {0, 0, picture.width, picture.height}, kPanelGrey); }

void paintControl(RgbaImage &picture, const ControlState &control) {
    const Box body = bodyBox(control);
    if (control.kind == ControlKind::Canvas) {
        if (control.mode == RENDER_HIDDEN)
            fillBox(picture, body, kPanelGrey);
        else
            paintCanvasFrame(picture, body);
        return;
    }
    fillBox(picture, controlBox(control), kPanelGrey);
    if (control.mode == RENDER_HIDDEN) return;

    const bool enabled = control.mode != RENDER_DISABLED;
    const pictures::Colour text = enabled ? kText : kGreyText;
    if (labelBesideBody(control)) {
        const Box label = labelBox(control);
        pictures::drawText(picture, label.x, label.y + (kBodyHeight - pictures::kGlyphHeight) / 2, control.label, text);
    }
    switch (control.kind) {
    case ControlKind::Popup: paintPopup(picture, control, body, enabled, text); break;
    case ControlKind::Bool: paintBool(picture, control, body, enabled, text); break;
    case ControlKind::MiniSlider: paintMiniSlider(picture, control, body, enabled, text); break;
    case ControlKind::HSlide: paintHSlide(picture, control, body, enabled); break;
    case ControlKind::Button: paintButton(picture, control, body, enabled, text); break;
    case ControlKind::DragButton: paintDragButton(picture, body, enabled, text); break;
    case ControlKind::Canvas: break;
    }
}

void clearDrawingArea(RgbaImage &picture, const ControlState &canvas) {
    fillBox(picture, {areaLeft(canvas), areaTop(canvas), canvas.spec.width, canvas.spec.height}, kCanvasBlack);
}

}  // namespace tavi::host

#include "gui/panel_widgets.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

#include "host/panel/panel_layout.h"
#include "gui/panel_look.h"

namespace tavi::gui {

namespace {

constexpr float kListRowHeight = 12;

// Frame padding that makes a widget of the face's line height exactly
// `height` pixels tall.
ImVec2 paddingFor(float height, float sideways) { return ImVec2(sideways, (height - kLineHeight) / 2.0f); }

// Places the next widget over the control's body and sizes it to fit.
void placeOver(const host::Box &body, float originX, float originY) {
    ImGui::SetCursorScreenPos(ImVec2(originX + float(body.x), originY + float(body.y)));
    ImGui::SetNextItemWidth(float(body.width));
}

}  // namespace

void PanelWidgets::show(host::HostPanel &panel, float originX, float originY) {
    // By index: a callback may add controls while the loop runs.
    for (std::size_t i = 0; i < panel.controls().size(); ++i) {
        host::HostControl &control = *panel.controls()[i];
        const host::ControlState &state = control.state;
        if (state.mode == RENDER_HIDDEN || state.kind == host::ControlKind::Canvas) continue;

        ImGui::PushID(state.number);
        ImGui::BeginDisabled(state.mode == RENDER_DISABLED);
        placeOver(host::bodyBox(state), originX, originY);
        switch (state.kind) {
        case host::ControlKind::Popup: showPopup(panel, control); break;
        case host::ControlKind::Bool: showBool(panel, control); break;
        case host::ControlKind::MiniSlider:
        case host::ControlKind::HSlide: showSlider(panel, control); break;
        case host::ControlKind::Button: showButton(panel, control); break;
        case host::ControlKind::DragButton: showDragButton(panel, control, originX, originY); break;
        case host::ControlKind::Canvas: break;
        }
        ImGui::EndDisabled();
        ImGui::PopID();
    }
}

void PanelWidgets::showPopup(host::HostPanel &panel, host::HostControl &control) {
    const host::ControlState &state = control.state;
    const auto &items = state.spec.items;
    const int current = state.value[0];
    const char *shown = current >= 0 && current < int(items.size()) ? items[std::size_t(current)].c_str() : "";

    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, paddingFor(float(host::kBodyHeight), 3));
    if (ImGui::BeginCombo("##popup", shown)) {
        for (int i = 0; i < int(items.size()); ++i) {
            // A choice is an event even when it is the item shown already.
            if (ImGui::Selectable(items[std::size_t(i)].c_str(), i == current, 0, ImVec2(0, kListRowHeight)))
                panel.userSet(control, i);
            if (i == current) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    ImGui::PopStyleVar();
}

void PanelWidgets::showBool(host::HostPanel &panel, host::HostControl &control) {
    const float side = float(host::bodyBox(control.state).height);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, paddingFor(side, 0));
    bool checked = control.state.value[0] != 0;
    if (ImGui::Checkbox("##check", &checked)) panel.userSet(control, checked ? 1 : 0);
    ImGui::PopStyleVar();
}

// A mini slider shows its value and takes a typed one (Ctrl+click, or Tab
// to it); a long slider is a track and a knob, as the host draws it.
void PanelWidgets::showSlider(host::HostPanel &panel, host::HostControl &control) {
    const host::ControlState &state = control.state;
    const auto range = host::valueRange(state);
    if (!range) return;
    const bool mini = state.kind == host::ControlKind::MiniSlider;

    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, paddingFor(float(host::kBodyHeight), 3));
    int value = state.value[0];
    const ImGuiSliderFlags flags = ImGuiSliderFlags_AlwaysClamp | (mini ? 0 : ImGuiSliderFlags_NoInput);
    if (ImGui::SliderInt("##slider", &value, range->min, range->max, mini ? "%d" : "", flags))
        panel.userSet(control, std::clamp(value, range->min, range->max));
    if (mini && ImGui::IsItemHovered() && !ImGui::IsItemActive())
        ImGui::SetTooltip("Drag, or Ctrl+click to type a value");
    ImGui::PopStyleVar();
}

void PanelWidgets::showButton(host::HostPanel &panel, host::HostControl &control) {
    const host::Box body = host::bodyBox(control.state);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, paddingFor(float(body.height), 2));
    if (ImGui::Button(control.state.label.c_str(), ImVec2(float(body.width), float(body.height))))
        panel.userClick(control);
    ImGui::PopStyleVar();
}

// While held, every move of the pointer is an event carrying the pointer's
// place on the panel; the press itself is the first, with the start flag.
void PanelWidgets::showDragButton(host::HostPanel &panel, host::HostControl &control, float originX, float originY) {
    const host::Box body = host::bodyBox(control.state);
    ImGui::Button("##drag", ImVec2(float(body.width), float(body.height)));

    // A cross on the button, as the host draws it.
    const ImVec2 corner = ImGui::GetItemRectMin();
    const ImU32 ink = ImGui::GetColorU32(ImGuiCol_Text);
    const float cx = std::floor(corner.x + float(body.width / 2)) + 0.5f;
    const float cy = std::floor(corner.y + float(body.height / 2)) + 0.5f;
    ImDrawList *draw = ImGui::GetWindowDrawList();
    draw->AddLine(ImVec2(cx - 3, cy), ImVec2(cx + 4, cy), ink);
    draw->AddLine(ImVec2(cx, cy - 3), ImVec2(cx, cy + 4), ink);

    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const int x = int(std::floor(mouse.x - originX));
    const int y = int(std::floor(mouse.y - originY));
    if (ImGui::IsItemActivated()) {
        drag_ = {x, y};
        panel.userDrag(control, x, y, true);
    } else if (ImGui::IsItemActive() && (x != drag_.lastX || y != drag_.lastY)) {
        drag_ = {x, y};
        panel.userDrag(control, x, y, false);
    }
}

}  // namespace tavi::gui

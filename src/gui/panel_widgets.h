// The panel's controls as Dear ImGui widgets, each over the body the host's
// layout gives it; the labels, the canvas and whatever the module drew come
// from the panel's own picture underneath.
//
// What the user does goes through HostPanel's user functions, as a script's
// events do: values are checked and clamped the same way and the control's
// callback fires. Hidden controls are not shown, disabled ones are greyed
// out and take no input.
#pragma once

#include "host/panel/host_panel.h"

namespace tavi::gui {

class PanelWidgets {
public:
    // Call between ImGui::Begin and ImGui::End, once a frame; `origin` is
    // where the panel's top-left corner is in the window.
    void show(host::HostPanel &panel, float originX, float originY);

private:
    struct DragState {
        int lastX = 0;
        int lastY = 0;
    };

    void showPopup(host::HostPanel &panel, host::HostControl &control);
    void showBool(host::HostPanel &panel, host::HostControl &control);
    void showSlider(host::HostPanel &panel, host::HostControl &control);
    void showButton(host::HostPanel &panel, host::HostControl &control);
    void showDragButton(host::HostPanel &panel, host::HostControl &control, float originX, float originY);

    DragState drag_;
};

}  // namespace tavi::gui

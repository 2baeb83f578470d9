// How the panel window looks: the host's own 5x7 face as Dear ImGui's font,
// so that labels fit the places the host's layout gives them, and colours
// that match the host's grey panels.
#pragma once

namespace tavi::gui {

// Text height of the face; widgets are built around it.
inline constexpr float kLineHeight = 8.0f;

// Call once on a fresh ImGui context, before its renderer backend makes the
// font texture.
void applyPanelLook();

}  // namespace tavi::gui

// The settings panel in a window: a user for a running HostPanel, with
// SDL2, Dear ImGui and OpenGL.
//
// The window shows the panel's own picture (everything the host and the
// module drew, the canvas pixel for pixel) with the controls as widgets on
// top, and a row with OK and Cancel below. The panel is drawn afresh, its
// draw callback included, only when it opens; the window repaints from the
// picture. Closing the window or pressing Escape is Cancel.
#pragma once

#include <cstdint>
#include <optional>

#include "host/panel/host_panel.h"
#include "gui/synthetic_input.h"

namespace tavi::gui {

class PointerInput;

inline constexpr int kButtonRowHeight = 32;

class PanelWindow {
public:
    // A Display must be open while the window runs. With `input`, the
    // window plays it instead of waiting for a user (see synthetic_input.h).
    explicit PanelWindow(std::optional<SyntheticInput> input = std::nullopt) : input_(std::move(input)) {}

    // Shows `panel` until it is closed: 1 for OK, 0 for Cancel. Throws
    // std::runtime_error when the window cannot be shown, a screenshot
    // cannot be written, or the synthetic input ends with the panel open.
    int run(host::HostPanel &panel);

private:
    SyntheticInput::Frame nextFrame(std::uint32_t windowId);
    void startFrame(PointerInput &pointer) const;

    std::optional<SyntheticInput> input_;
};

}  // namespace tavi::gui

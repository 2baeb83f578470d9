// The video system the panel window needs, up for as long as this object
// lives. Opening it is the moment to find out whether there is anywhere to
// show a window at all.
#pragma once

#include <stdexcept>

namespace tavi::gui {

// There is no display to show a window on; the message says why.
class NoDisplay : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Display {
public:
    // Starts SDL's video system. Throws NoDisplay when there is no display:
    // no DISPLAY or WAYLAND_DISPLAY, or SDL could only fall back to a driver
    // that shows nothing. A driver named in SDL_VIDEODRIVER is taken as
    // asked for, "offscreen" included: that is how the window is tested.
    Display();
    ~Display();
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;
};

}  // namespace tavi::gui

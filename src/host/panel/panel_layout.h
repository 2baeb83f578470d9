// Where the stand-in host puts a control's parts on its panel.
//
// A control stands at its position (attributes 0 and 1). A label, if any,
// comes first, in the host's 5x7 face (6 pixels a character) and 4 pixels
// of space; the control's body follows. Buttons carry their label on the
// body instead. Bodies are 18 pixels high, except that a canvas's is its
// drawing area plus a 2-pixel frame on every side, and a drag button's is
// the size it asked for. A check box is 14 by 14, 2 pixels below the top.
//
// Attributes 5 and 6, the origin of a control's drawing area, are the
// body's top-left corner plus (2, 2): for a canvas, its first pixel inside
// the frame.
#pragma once

#include "host/panel/control_state.h"

namespace tavi::host {

inline constexpr int kAreaInset = 2;
inline constexpr int kBodyHeight = 18;
inline constexpr int kLabelGap = 4;

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

// Whether the label is drawn beside the body rather than on it.
bool labelBesideBody(const ControlState &control);
Box labelBox(const ControlState &control);
Box bodyBox(const ControlState &control);
// Everything the control paints: label and body.
Box controlBox(const ControlState &control);
// The origin of the drawing area, attributes 5 and 6.
int areaLeft(const ControlState &control);
int areaTop(const ControlState &control);

}  // namespace tavi::host

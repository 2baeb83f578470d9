// How the stand-in host draws a panel into the panel's own picture: a grey
// background, bevelled boxes for the controls, labels in the 5x7 face.
#pragma once

#include "host/panel/control_state.h"
#include "host/panel/panel_layout.h"
#include "host/pictures/pixel_font.h"
#include "host/pictures/plot.h"
#include "host/base/rgba_image.h"

namespace tavi::host {

inline constexpr pictures::Colour kPanelGrey{148, 148, 152};
inline constexpr pictures::Colour kShadow{84, 84, 90};
inline constexpr pictures::Colour kHighlight{236, 236, 240};
inline constexpr pictures::Colour kCanvasBlack{0, 0, 0};

void fillBox(RgbaImage &picture, Box box, pictures::Colour colour);

// A border as a module asks for one: with height 0 a horizontal groove
// (shadow on row y, highlight on row y + 1), with width 0 a vertical one,
// otherwise a sunken frame `indent` pixels deep (at least 1).
void drawBorder(RgbaImage &picture, int indent, int x, int y, int width, int height);

void paintBackground(RgbaImage &picture);
// Repaints the control as its state shows it: erased, then drawn unless it
// is hidden; greyed out when disabled. A canvas's drawing area is left as
// it is, so what was plotted there stays.
void paintControl(RgbaImage &picture, const ControlState &control);
// Fills a canvas's drawing area with black.
void clearDrawingArea(RgbaImage &picture, const ControlState &canvas);

}  // namespace tavi::host

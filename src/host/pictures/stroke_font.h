// A small built-in stroke font, so the host can letter its pictures
// without font files: capitals A-Z (lower case is drawn as capitals),
// digits and - . , : / + ! '. Other characters advance like a space.
#pragma once

#include <string_view>

#include "host/pictures/vector_drawing.h"

namespace tavi::host::pictures {

struct TextStyle {
    double capHeight = 12;  // height of a capital, drawing units
    double strokeWidth = 1.5;
    Colour colour{255, 255, 255};
};

// Adds the text's strokes to the drawing, the top left of its first
// capital at topLeft; strokes reach half their width beyond the letters'
// box. Returns the text's advance width.
double drawStrokeText(Drawing &drawing, std::string_view text, Point topLeft, const TextStyle &style);

// The advance width drawStrokeText would return, without drawing.
double strokeTextWidth(std::string_view text, double capHeight);

}  // namespace tavi::host::pictures

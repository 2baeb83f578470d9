// The stand-in host's only face: 5x7 pixel capitals, digits and a little
// punctuation. Lower-case letters are drawn as capitals; other characters
// as a hollow box.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/base/rgba_image.h"
#include "host/pictures/colour.h"

namespace tavi::host::pictures {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;

// Width in pixels of `text`, without space after the last character.
int textWidth(std::string_view text);
// Draws `text` with its top-left corner at (x, y), clipped to the picture.
void drawText(RgbaImage &picture, int x, int y, std::string_view text, Colour colour);

}  // namespace tavi::host::pictures

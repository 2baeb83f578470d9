#include "host/pictures/stroke_font.h"

#include <cctype>
#include <vector>

namespace tavi::host::pictures {

namespace {

// Glyphs on a grid 8 wide and 12 tall, y downwards, baseline at 12. Each
// point is two characters, x then y, counting 0-9 then a, b, c for 10-12;
// points of one stroke are separated by spaces, strokes by '|'. Curves are
// drawn as short straight runs.
constexpr int kStrokeGlyphWidth = 8;
constexpr int kStrokeGlyphHeight = 12;
constexpr int kStrokeAdvance = 12;

std::string_view glyphFor(char c) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'A': return "0c 40 8c|18 78";
    case 'B': return "0c 00 50 72 74 56 06|56 78 7a 5c 0c";
    case 'C': return "82 60 20 02 0a 2c 6c 8a";
    case 'D': return "00 50 82 8a 5c 0c 00";
    case 'E': return "80 00 0c 8c|06 66";
    case 'F': return "80 00 0c|06 66";
    case 'G': return "82 60 20 02 0a 2c 6c 8a 86 46";
    case 'H': return "00 0c|80 8c|06 86";
    case 'I': return "20 60|40 4c|2c 6c";
    case 'J': return "30 80|60 6a 4c 2c 0a";
    case 'K': return "00 0c|80 08|26 8c";
    case 'L': return "00 0c 8c";
    case 'M': return "0c 00 46 80 8c";
    case 'N': return "0c 00 8c 80";
    case 'O': return "20 60 82 8a 6c 2c 0a 02 20";
    case 'P': return "0c 00 60 82 84 66 06";
    case 'Q': return "20 60 82 8a 6c 2c 0a 02 20|59 8c";
    case 'R': return "0c 00 60 82 84 66 06|46 8c";
    case 'S': return "82 60 20 02 04 26 66 88 8a 6c 2c 0a";
    case 'T': return "00 80|40 4c";
    case 'U': return "00 0a 2c 6c 8a 80";
    case 'V': return "00 4c 80";
    case 'W': return "00 2c 46 6c 80";
    case 'X': return "00 8c|80 0c";
    case 'Y': return "00 46 80|46 4c";
    case 'Z': return "00 80 0c 8c";
    case '0': return "20 60 82 8a 6c 2c 0a 02 20|72 1a";
    case '1': return "22 40 4c|2c 6c";
    case '2': return "02 20 60 82 84 0c 8c";
    case '3': return "02 20 60 82 84 66 36|66 88 8a 6c 2c 0a";
    case '4': return "60 09 89|64 6c";
    case '5': return "80 00 05 65 87 8a 6c 2c 0a";
    case '6': return "70 20 02 0a 2c 6c 8a 88 66 06";
    case '7': return "00 80 3c";
    case '8': return "20 60 82 84 66 26 04 02 20|26 08 0a 2c 6c 8a 88 66";
    case '9': return "86 26 04 02 20 60 82 8a 6c 1c";
    case '-': return "26 66";
    case '.': return "4c";
    case ',': return "4b 3c";
    case ':': return "44|4a";
    case '/': return "0c 80";
    case '+': return "16 76|43 49";
    case '!': return "40 48|4c";
    case '\'': return "40 42";
    default: return "";
    }
}

int coordinate(char c) { return c >= 'a' ? 10 + (c - 'a') : c - '0'; }

}  // namespace

double strokeTextWidth(std::string_view text, double capHeight) {
    if (text.empty()) return 0;
    const double unit = capHeight / kStrokeGlyphHeight;
    return unit * (double(text.size() - 1) * kStrokeAdvance + kStrokeGlyphWidth);
}

double drawStrokeText(Drawing &drawing, std::string_view text, Point topLeft, const TextStyle &style) {
    const double unit = style.capHeight / kStrokeGlyphHeight;
    std::vector<Point> stroke;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const double left = topLeft.x + unit * double(i) * kStrokeAdvance;
        const std::string_view glyph = glyphFor(text[i]);
        stroke.clear();
        for (std::size_t at = 0; at <= glyph.size(); ++at) {
            if (at == glyph.size() || glyph[at] == '|') {
                if (!stroke.empty()) drawing.strokePolyline(stroke, style.strokeWidth, style.colour);
                stroke.clear();
            } else if (glyph[at] != ' ') {
                stroke.push_back({left + unit * coordinate(glyph[at]), topLeft.y + unit * coordinate(glyph[at + 1])});
                ++at;
            }
        }
    }
    return strokeTextWidth(text, style.capHeight);
}

}  // namespace tavi::host::pictures

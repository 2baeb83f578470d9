#include "host/pictures/sample_scene.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "host/pictures/stroke_font.h"

namespace tavi::host::pictures {

namespace {

constexpr Colour kSky{70, 130, 200};
constexpr Colour kRed{215, 60, 55};
constexpr Colour kOrange{240, 150, 40};
constexpr Colour kYellow{245, 215, 70};
constexpr Colour kGreen{70, 170, 90};
constexpr Colour kTeal{40, 165, 175};
constexpr Colour kPurple{140, 80, 180};
constexpr Colour kPaper{240, 236, 225};
constexpr Colour kInk{30, 36, 52};

Point polar(Point centre, double radius, double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    return {centre.x + radius * std::cos(radians), centre.y + radius * std::sin(radians)};
}

// A square of the given half-diagonal turned by `degrees`.
std::vector<Point> turnedSquare(Point centre, double halfDiagonal, double degrees) {
    std::vector<Point> corners;
    for (int i = 0; i < 4; ++i) corners.push_back(polar(centre, halfDiagonal, degrees + 90.0 * i));
    return corners;
}

}  // namespace

Drawing sampleDrawing() {
    Drawing d(1600, 900);

    // Back to front. A mountain whose foot the ground strip covers, so the
    // two meet in a colour edge rather than an alpha edge.
    d.fillPolygon({{110, 700}, {380, 290}, {470, 420}, {540, 350}, {700, 700}}, kOrange);
    d.fillCircle({560, 190}, 80, kYellow);

    // Ground strip: top edge rises 36 units over 1520 (about 1.4 degrees),
    // bottom falls 20, so both have long steps.
    d.fillPolygon({{40, 704}, {1560, 668}, {1560, 780}, {40, 800}}, kGreen);

    // A panel turned by under 2 degrees with the name on it.
    d.fillPolygon({{700, 70}, {1140, 84}, {1134, 270}, {694, 256}}, kSky);
    const TextStyle title{120, 20, kPaper};
    drawStrokeText(d, "TAVI", {917 - strokeTextWidth("TAVI", title.capHeight) / 2, 105}, title);

    // A pillar leaning about 2 degrees off vertical, standing on the ground.
    d.fillPolygon({{1180, 300}, {1228, 298}, {1246, 690}, {1198, 692}}, kPurple);

    // A ring: its hole shows the transparent background.
    d.fillRing({1390, 190}, 110, 66, kTeal);

    // Discs from a few pixels to large, and a turned square.
    const double discRadii[] = {5, 9, 15, 24, 36};
    double x = 740;
    for (double r : discRadii) {
        d.fillCircle({x + r, 520 - r}, r, kRed);
        x += 2 * r + 18;
    }
    d.fillPolygon(turnedSquare({1075, 430}, 70, 20), kRed);

    // Nearly horizontal thin lines of decreasing width.
    const double lineWidths[] = {6, 3, 1.5};
    double y = 310;
    for (double w : lineWidths) {
        d.strokeLine({700, y}, {1120, y + 16}, w, kYellow);
        y += 22;
    }

    // A fan of thin lines: every angle between near horizontal and near
    // vertical.
    const Point hub{1560, 640};
    for (int i = 0; i <= 12; ++i) d.strokeLine(hub, polar(hub, 290, 184 + 7.0 * i), 2.0, kPaper);

    // Small dark lettering on the ground, and a line of text on nothing.
    drawStrokeText(d, "EDGE TEST", {80, 724}, {34, 5, kInk});
    drawStrokeText(d, "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789", {70, 835}, {26, 3.5, kPaper});
    return d;
}

SampleRenders renderSample(int width, int height, int truthSamplesPerAxis) {
    if (truthSamplesPerAxis < 4)
        throw std::invalid_argument("sample ground truth needs at least 4 samples per axis, not " +
                                    std::to_string(truthSamplesPerAxis));
    const Drawing drawing = sampleDrawing();
    return {rasterise(drawing, width, height, 1, kSampleBackground),
            rasterise(drawing, width, height, truthSamplesPerAxis, kSampleBackground)};
}

}  // namespace tavi::host::pictures

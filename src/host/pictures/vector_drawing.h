// Flat-coloured vector shapes and a point-sampling rasteriser for them:
// the host draws its sample render and the labels of its comparison
// pictures with it. One sample per pixel gives the hard, stair-stepped
// edges of a renderer without anti-aliasing; n x n samples per pixel give
// a reference for what the edges should look like.
#pragma once

#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "host/base/rgba_image.h"
#include "host/pictures/colour.h"

namespace tavi::host::pictures {

struct Point {
    double x = 0, y = 0;
};

// Shapes in drawing units, y downwards, painted in the order added: a
// later shape covers an earlier one. Every shape is opaque.
class Drawing {
public:
    Drawing(double width, double height) : width_(width), height_(height) {}

    double width() const { return width_; }
    double height() const { return height_; }

    // Filled with the non-zero winding rule, so contours running the same
    // way unite and one running the other way inside cuts a hole.
    void fillPolygon(std::vector<std::vector<Point>> contours, Colour colour);
    void fillPolygon(std::vector<Point> outline, Colour colour) {
        fillPolygon(std::vector<std::vector<Point>>{std::move(outline)}, colour);
    }
    void fillEllipse(Point centre, double radiusX, double radiusY, Colour colour);
    void fillCircle(Point centre, double radius, Colour colour) { fillEllipse(centre, radius, radius, colour); }
    // A disc with a transparent hole of innerRadius in its middle.
    void fillRing(Point centre, double outerRadius, double innerRadius, Colour colour);
    // A line of the given width with round ends and joins; one point gives a dot.
    void strokePolyline(std::span<const Point> points, double width, Colour colour);
    void strokeLine(Point from, Point to, double width, Colour colour) {
        const Point ends[] = {from, to};
        strokePolyline(ends, width, colour);
    }

    struct Polygon {
        std::vector<std::vector<Point>> contours;
    };
    struct Ellipse {
        Point centre;
        double radiusX, radiusY;
        double holeRatio;  // 0: solid
    };
    struct Shape {
        std::variant<Polygon, Ellipse> geometry;
        Colour colour;
    };
    const std::vector<Shape> &shapes() const { return shapes_; }

private:
    double width_, height_;
    std::vector<Shape> shapes_;
};

// Renders the drawing stretched over a width x height picture, sampling
// each pixel at the centres of an n x n grid of equal cells
// (samplesPerAxis = n; 1 samples the pixel centre only). A pixel's alpha
// is the share of its samples that hit a shape; its colour is the mean
// colour of those samples, not weighted by alpha (unassociated). Pixels no
// shape touches get the background colour and alpha 0. Deterministic.
// Throws std::invalid_argument for a size or sample count below 1.
RgbaImage rasterise(const Drawing &drawing, int width, int height, int samplesPerAxis, Colour background);

}  // namespace tavi::host::pictures

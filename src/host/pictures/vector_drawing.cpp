#include "host/pictures/vector_drawing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tavi::host::pictures {

void Drawing::fillPolygon(std::vector<std::vector<Point>> contours, Colour colour) {
    shapes_.push_back({Polygon{std::move(contours)}, colour});
}

void Drawing::fillEllipse(Point centre, double radiusX, double radiusY, Colour colour) {
    shapes_.push_back({Ellipse{centre, radiusX, radiusY, 0.0}, colour});
}

void Drawing::fillRing(Point centre, double outerRadius, double innerRadius, Colour colour) {
    const double ratio = outerRadius > 0 ? std::clamp(innerRadius / outerRadius, 0.0, 1.0) : 0.0;
    shapes_.push_back({Ellipse{centre, outerRadius, outerRadius, ratio}, colour});
}

void Drawing::strokePolyline(std::span<const Point> points, double width, Colour colour) {
    const double half = width / 2;
    // Round joins and ends: a disc at every point, a band along every segment.
    for (const Point &p : points) fillCircle(p, half, colour);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const Point a = points[i - 1], b = points[i];
        const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
        if (length == 0) continue;
        const double nx = -dy / length * half, ny = dx / length * half;
        fillPolygon({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}}, colour);
    }
}

namespace {

// A horizontal run [begin, end) of a shape on one sample row, in pixels.
struct Span {
    double begin, end;
};

struct Edge {
    double x0, y0, x1, y1;
};

// A shape in pixel coordinates, ready to be cut into spans row by row.
struct PlacedShape {
    std::vector<Edge> edges;  // polygons
    bool isEllipse = false;
    double cx = 0, cy = 0, rx = 0, ry = 0, holeRatio = 0;
    double top = 0, bottom = 0;
    std::uint32_t id = 0;  // index into the palette

    void spansAt(double y, std::vector<Span> &spans, std::vector<std::pair<double, int>> &crossings) const;
};

void PlacedShape::spansAt(double y, std::vector<Span> &spans, std::vector<std::pair<double, int>> &crossings) const {
    spans.clear();
    if (isEllipse) {
        const double dy = y - cy;
        if (std::abs(dy) >= ry) return;
        const double half = rx * std::sqrt(1 - (dy / ry) * (dy / ry));
        const double innerRy = ry * holeRatio;
        if (std::abs(dy) >= innerRy) {
            spans.push_back({cx - half, cx + half});
            return;
        }
        const double innerHalf = rx * holeRatio * std::sqrt(1 - (dy / innerRy) * (dy / innerRy));
        spans.push_back({cx - half, cx - innerHalf});
        spans.push_back({cx + innerHalf, cx + half});
        return;
    }
    // Each edge counts on rows in [lower y, upper y), so a vertex shared by
    // two edges is counted once.
    crossings.clear();
    for (const Edge &e : edges) {
        int direction = 0;
        if (e.y0 <= y && y < e.y1)
            direction = 1;
        else if (e.y1 <= y && y < e.y0)
            direction = -1;
        if (direction == 0) continue;
        crossings.emplace_back(e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), direction);
    }
    std::sort(crossings.begin(), crossings.end());
    int winding = 0;
    double begin = 0;
    for (const auto &[x, direction] : crossings) {
        const int before = winding;
        winding += direction;
        if (before == 0 && winding != 0) begin = x;
        if (before != 0 && winding == 0) spans.push_back({begin, x});
    }
}

std::vector<PlacedShape> placeShapes(const Drawing &drawing, double scaleX, double scaleY) {
    std::vector<PlacedShape> placed;
    placed.reserve(drawing.shapes().size());
    std::uint32_t id = 0;
    for (const Drawing::Shape &shape : drawing.shapes()) {
        PlacedShape p;
        p.id = ++id;
        if (const auto *ellipse = std::get_if<Drawing::Ellipse>(&shape.geometry)) {
            p.isEllipse = true;
            p.cx = ellipse->centre.x * scaleX;
            p.cy = ellipse->centre.y * scaleY;
            p.rx = std::abs(ellipse->radiusX * scaleX);
            p.ry = std::abs(ellipse->radiusY * scaleY);
            p.holeRatio = ellipse->holeRatio;
            p.top = p.cy - p.ry;
            p.bottom = p.cy + p.ry;
        } else {
            p.top = std::numeric_limits<double>::infinity();
            p.bottom = -p.top;
            for (const auto &contour : std::get<Drawing::Polygon>(shape.geometry).contours) {
                for (std::size_t i = 0; i < contour.size(); ++i) {
                    const Point a = contour[i], b = contour[(i + 1) % contour.size()];
                    const Edge e{a.x * scaleX, a.y * scaleY, b.x * scaleX, b.y * scaleY};
                    p.top = std::min(p.top, e.y0);
                    p.bottom = std::max(p.bottom, e.y0);
                    if (e.y0 != e.y1) p.edges.push_back(e);
                }
            }
        }
        if (p.bottom > p.top) placed.push_back(std::move(p));
    }
    return placed;
}

// First sample index at or right of x, on a row where sample k sits at
// (k + 0.5) / n, clamped to [0, limit].
long firstSampleAtOrAfter(double x, int n, long limit) {
    const double k = std::ceil(x * n - 0.5);
    if (!(k > 0)) return 0;
    return k >= double(limit) ? limit : long(k);
}

// The samples of one pixel row: n sample rows of width x n samples, each
// holding the id of the last shape that covered the sample (0: none).
class SampleRows {
public:
    SampleRows(int width, int n) : n_(n), rowSamples_(long(width) * n), ids_(std::size_t(rowSamples_) * n) {}

    // Covers the samples of pixel row `py` with every shape that reaches it.
    void cover(const std::vector<PlacedShape> &shapes, int py) {
        std::fill(ids_.begin(), ids_.end(), 0u);
        for (const PlacedShape &shape : shapes) {
            if (shape.bottom < py || shape.top > py + 1) continue;
            for (int j = 0; j < n_; ++j) {
                const double y = py + (j + 0.5) / n_;
                if (y < shape.top || y > shape.bottom) continue;
                shape.spansAt(y, spans_, crossings_);
                std::uint32_t *row = ids_.data() + std::size_t(j) * std::size_t(rowSamples_);
                for (const Span &span : spans_) {
                    const long begin = firstSampleAtOrAfter(span.begin, n_, rowSamples_);
                    const long end = firstSampleAtOrAfter(span.end, n_, rowSamples_);
                    if (begin < end) std::fill(row + begin, row + end, shape.id);
                }
            }
        }
    }

    // Pixel `px` as the mean of its covered samples' colours, alpha the
    // share covered; the background's colour with alpha 0 where none is.
    void resolve(int px, const std::vector<Colour> &palette, std::uint8_t *out) const {
        unsigned covered = 0, red = 0, green = 0, blue = 0;
        for (int j = 0; j < n_; ++j) {
            const std::uint32_t *cell = ids_.data() + std::size_t(j) * std::size_t(rowSamples_) + std::size_t(px) * n_;
            for (int k = 0; k < n_; ++k) {
                if (cell[k] == 0) continue;
                const Colour &c = palette[cell[k]];
                ++covered;
                red += c.r;
                green += c.g;
                blue += c.b;
            }
        }
        if (covered == 0) {
            out[0] = palette[0].r, out[1] = palette[0].g, out[2] = palette[0].b, out[3] = 0;
            return;
        }
        const unsigned total = unsigned(n_) * unsigned(n_);
        out[0] = std::uint8_t((red + covered / 2) / covered);
        out[1] = std::uint8_t((green + covered / 2) / covered);
        out[2] = std::uint8_t((blue + covered / 2) / covered);
        out[3] = std::uint8_t((covered * 255 + total / 2) / total);
    }

private:
    int n_;
    long rowSamples_;
    std::vector<std::uint32_t> ids_;
    std::vector<Span> spans_;
    std::vector<std::pair<double, int>> crossings_;
};

}  // namespace

RgbaImage rasterise(const Drawing &drawing, int width, int height, int samplesPerAxis, Colour background) {
    if (width < 1 || height < 1 || samplesPerAxis < 1)
        throw std::invalid_argument("rasterise: size " + std::to_string(width) + " x " + std::to_string(height) +
                                    " with " + std::to_string(samplesPerAxis) + " samples per axis");
    const std::vector<PlacedShape> shapes = placeShapes(drawing, width / drawing.width(), height / drawing.height());
    std::vector<Colour> palette{background};
    for (const auto &shape : drawing.shapes()) palette.push_back(shape.colour);

    RgbaImage image(width, height);
    SampleRows samples(width, samplesPerAxis);
    for (int py = 0; py < height; ++py) {
        samples.cover(shapes, py);
        for (int px = 0; px < width; ++px) samples.resolve(px, palette, image.at(px, py));
    }
    return image;
}

}  // namespace tavi::host::pictures

// Draws Tavi's logo, the source picture of the module's logo bitmap: the
// wordmark "Tavi" on a rounded plate, over a band whose edge turns from a
// hard staircase into a smooth ramp from left to right.
//
//   draw_logo OUT.ppm        writes the picture
//   draw_logo --check FILE   exits 1 unless FILE holds exactly this picture
//
// The picture is 153x80, binary PPM. Pure (0, 255, 0) marks what the panel
// leaves transparent: here, beyond the plate's rounded-off corners.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 153;
constexpr int kHeight = 80;
constexpr int kSamples = 4;  // per pixel and axis, for smooth edges

struct Colour {
    double r, g, b;
};

Colour mix(Colour under, Colour over, double cover) {
    return {under.r + (over.r - under.r) * cover, under.g + (over.g - under.g) * cover,
            under.b + (over.b - under.b) * cover};
}

using Shape = std::function<bool(double x, double y)>;

// Share of the pixel's area that the shape covers.
double coverage(const Shape &shape, int px, int py) {
    int inside = 0;
    for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
            if (shape(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples)) ++inside;
    return double(inside) / (kSamples * kSamples);
}

// ---- The plate ------------------------------------------------------

// The plate sits in the canvas's bottom-right corner, flush with both
// edges: that corner stays square, the others are rounded off.
double cornerRadius(double x, double y) {
    const bool left = x < kWidth / 2.0;
    const bool top = y < kHeight / 2.0;
    if (left && top) return 16;
    if (left || top) return 7;
    return 0;
}

double plateDistance(double x, double y) {  // negative inside
    const double r = cornerRadius(x, y);
    if (r == 0) return std::max(x - kWidth, y - kHeight);
    const double cx = std::clamp(x, r, kWidth - r);
    const double cy = std::clamp(y, r, kHeight - r);
    return std::hypot(x - cx, y - cy) - r;
}

bool onPlate(double x, double y) { return plateDistance(x, y) < 0; }
bool onRim(double x, double y) {
    const double d = plateDistance(x, y);
    return d < -0.8 && d > -2.0;
}

Colour plateColour(int y) { return mix({38, 48, 82}, {12, 15, 30}, double(y) / (kHeight - 1)); }

// ---- The wordmark ---------------------------------------------------

struct Point {
    double x, y;
};

bool inPolygon(const std::vector<Point> &poly, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point &a = poly[i];
        const Point &b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

bool inBox(double x, double y, double left, double top, double right, double bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

bool inRing(double x, double y, double cx, double cy, double outer, double inner) {
    const double d = std::hypot(x - cx, y - cy);
    return d < outer && d >= inner;
}

// Letters in font units: cap height 36, x-height from 10 down to 36.
bool letterT(double x, double y) { return inBox(x, y, 0, 0, 26, 7) || inBox(x, y, 9.5, 0, 16.5, 36); }
bool letterA(double x, double y) { return inRing(x, y, 11.5, 24.5, 11.5, 5.2) || inBox(x, y, 16.5, 13, 23, 36); }
bool letterV(double x, double y) {
    static const std::vector<Point> outline = {{0, 10},  {7.5, 10},  {12, 27}, {16.5, 10},
                                               {24, 10}, {15.5, 36}, {8.5, 36}};
    return inPolygon(outline, x, y);
}
bool letterI(double x, double y) { return inBox(x, y, 0, 11, 7, 36) || std::hypot(x - 3.5, y - 3.8) < 3.9; }

constexpr double kScale = 1.05;
constexpr double kSlant = 0.16;  // italic: the top leans right
constexpr double kWordLeft = 30;
constexpr double kWordTop = 6;

bool inWordmark(double x, double y) {
    // Back from picture to font units, undoing position, scale and slant.
    const double fy = (y - kWordTop) / kScale;
    const double fx = (x - kWordLeft) / kScale - (36 - fy) * kSlant;
    if (fy < 0 || fy >= 36) return false;
    return letterT(fx, fy) || letterA(fx - 22, fy) || letterV(fx - 48, fy) || letterI(fx - 75, fy);
}

Colour wordColour(int y) {
    const double t = std::clamp((y - kWordTop) / (36 * kScale), 0.0, 1.0);
    return mix({252, 252, 255}, {150, 200, 255}, t);
}

// ---- The band: a staircase that becomes a ramp ------------------------

constexpr double kBandLeft = 10;
constexpr double kBandRight = 143;
constexpr double kBandBottom = 75;

double edgeRow(double x) { return 74 - (x - kBandLeft) * 0.21; }

// Left to right the edge is sampled on 4, 2 and 1 pixel blocks, then
// smoothed: what the filter does to a rendered edge.
double bandCoverage(int px, int py) {
    if (px < kBandLeft || px >= kBandRight || py >= kBandBottom) return 0;
    const auto blockSampled = [&](int block) {
        const double cx = std::floor(px / double(block)) * block + block / 2.0;
        const double cy = std::floor(py / double(block)) * block + block / 2.0;
        return cy >= edgeRow(cx) ? 1.0 : 0.0;
    };
    if (px < 50) return blockSampled(4);
    if (px < 80) return blockSampled(2);
    if (px < 105) return blockSampled(1);
    return coverage([](double x, double y) { return y >= edgeRow(x) && y < kBandBottom; }, px, py);
}

Colour bandColour(int x) { return mix({255, 120, 30}, {255, 200, 60}, (x - kBandLeft) / (kBandRight - kBandLeft)); }

// ---- The tagline, in a 3x5 pixel face --------------------------------

const std::array<const char *, 5> *glyph(char c) {
    static const std::array<const char *, 5> A = {".#.", "#.#", "###", "#.#", "#.#"};
    static const std::array<const char *, 5> N = {"##.", "#.#", "#.#", "#.#", "#.#"};
    static const std::array<const char *, 5> T = {"###", ".#.", ".#.", ".#.", ".#."};
    static const std::array<const char *, 5> I = {"###", ".#.", ".#.", ".#.", "###"};
    static const std::array<const char *, 5> L = {"#..", "#..", "#..", "#..", "###"};
    static const std::array<const char *, 5> S = {".##", "#..", ".#.", "..#", "##."};
    static const std::array<const char *, 5> G = {".##", "#..", "#.#", "#.#", ".##"};
    static const std::array<const char *, 5> dash = {"...", "...", "###", "...", "..."};
    switch (c) {
    case 'A': return &A;
    case 'N': return &N;
    case 'T': return &T;
    case 'I': return &I;
    case 'L': return &L;
    case 'S': return &S;
    case 'G': return &G;
    case '-': return &dash;
    default: return nullptr;
    }
}

constexpr int kTagLeft = 13;
constexpr int kTagTop = 50;
constexpr char kTagline[] = "ANTI-ALIASING";

bool inTagline(int x, int y) {
    const int column = x - kTagLeft;
    const int row = y - kTagTop;
    if (column < 0 || row < 0 || row >= 5) return false;
    const std::size_t index = std::size_t(column / 4);
    if (index >= std::strlen(kTagline) || column % 4 == 3) return false;
    const auto *g = glyph(kTagline[index]);
    return g != nullptr && (*g)[std::size_t(row)][column % 4] == '#';
}

// ---- The picture ------------------------------------------------------

std::vector<std::uint8_t> drawLogo() {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(std::size_t(kWidth) * kHeight * 3);
    const auto put = [&](Colour c) {
        for (double v : {c.r, c.g, c.b}) rgb.push_back(std::uint8_t(std::lround(std::clamp(v, 0.0, 255.0))));
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double plate = coverage(onPlate, x, y);
            if (plate == 0) {
                put({0, 255, 0});
                continue;
            }
            Colour c = plateColour(y);
            c = mix(c, {96, 116, 170}, coverage(onRim, x, y));
            c = mix(c, bandColour(x), bandCoverage(x, y));
            if (inTagline(x, y)) c = {150, 172, 214};
            const double shadow = coverage([](double sx, double sy) { return inWordmark(sx - 2, sy - 2); }, x, y);
            c = mix(c, {0, 0, 0}, shadow * 0.6);
            c = mix(c, wordColour(y), coverage(inWordmark, x, y));
            // Rounded-off edges fade into the black of an empty canvas.
            c = mix({0, 0, 0}, c, plate);
            // A pixel that lands on the key colour by chance would vanish.
            if (std::lround(c.r) == 0 && std::lround(c.g) == 255 && std::lround(c.b) == 0) c.g = 254;
            put(c);
        }
    return rgb;
}

std::string ppmHeader() { return "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n"; }

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::uint8_t> pixels = drawLogo();
    std::string picture = ppmHeader();
    picture.append(pixels.begin(), pixels.end());

    if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (stored == picture) return 0;
        std::fprintf(stderr, "%s differs from the drawn logo; run draw_logo %s\n", argv[2], argv[2]);
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_logo OUT.ppm | draw_logo --check FILE\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out.write(picture.data(), std::streamsize(picture.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// One channel group of a source store, read pixel by pixel with the frame
// clamp: the pixels the scan compares and the slope it weighs. The colour
// group is red, green and blue; the alpha group alpha alone.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace engine::direct {

template <int First, int Count>
struct Channels {
    static constexpr int first = First;
    static constexpr int count = Count;
};
using ColourChannels = Channels<0, 3>;
using AlphaChannels = Channels<3, 1>;

// The bytes of one pixel in a group's channels, each held in an int and
// filled at once: a pixel assembled byte by byte in memory and then copied
// whole stalls the loads that read it back.
template <class Group>
struct Pixel {
    int v[Group::count];
};

inline int difference(int p, int q) { return std::abs(q - p); }

// Whether any one channel differs by more than `limit`.
template <class Group>
bool differ(const Pixel<Group> &p, const Pixel<Group> &q, int limit) {
    for (int c = 0; c < Group::count; ++c)
        if (difference(p.v[c], q.v[c]) > limit) return true;
    return false;
}

template <class ChannelGroup, class Source>
class SourceView {
public:
    using Group = ChannelGroup;

    explicit SourceView(const Source &source) : source_(source) {}

    int width() const { return source_.width(); }
    int height() const { return source_.height(); }
    int clampX(int x) const { return x < 0 ? 0 : (x >= width() ? width() - 1 : x); }
    int clampY(int y) const { return y < 0 ? 0 : (y >= height() ? height() - 1 : y); }

    // Row y of the group's channel c (0 is the group's first), y clamped.
    const std::uint8_t *row(int c, int y) const { return source_.row(Group::first + c, clampY(y)); }

    Pixel<Group> pixel(int x, int y) const {
        const int cx = clampX(x);
        const int cy = clampY(y);
        return [&]<std::size_t... C>(std::index_sequence<C...>) {
            return Pixel<Group>{{source_.row(Group::first + int(C), cy)[cx]...}};
        }
        (std::make_index_sequence<Group::count>{});
    }

    // The slope of the edge through (x, y): in each 2x2 block of the 3x3
    // neighbourhood, the distance across its (+1, -1) diagonal less the
    // distance across its (+1, +1) one, summed over blocks and channels.
    // 0 without reading when x or y is below 1.
    int slope(int x, int y) const {
        if (x < 1 || y < 1) return 0;
        const int west = clampX(x - 1);
        const int centre = clampX(x);
        const int east = clampX(x + 1);
        int total = 0;
        for (int c = 0; c < Group::count; ++c) {
            const std::uint8_t *up = row(c, y - 1);
            const std::uint8_t *mid = row(c, y);
            const std::uint8_t *down = row(c, y + 1);
            const int nw = up[west], n = up[centre], ne = up[east];
            const int w = mid[west], m = mid[centre], e = mid[east];
            const int sw = down[west], s = down[centre], se = down[east];
            total += difference(n, w) + difference(ne, m) + difference(m, sw) + difference(e, s);
            total -= difference(nw, m) + difference(n, e) + difference(w, s) + difference(m, se);
        }
        return total;
    }

private:
    const Source &source_;
};

}  // namespace engine::direct

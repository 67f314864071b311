#include "canvas/raster.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab::raster {

std::optional<PixelSegment> clipPartly(const Mapping &m, double c0, double r0, double c1, double r1)
{
    struct Point
    {
        double c, r;
    };
    Point p[2] = {{c0, r0}, {c1, r1}};
    for (const Point &q : p)
        if (!std::isfinite(q.c) || !std::isfinite(q.r))
            return std::nullopt;

    // Cohen-Sutherland against [0, W] x [0, H]. An end that is moved onto an
    // edge gets that edge's coordinate exactly, and its other coordinate is
    // interpolated from the end that stays: a line from far outside keeps its
    // exact row or column, and one with an end inside stays exact near it.
    const double tolC = kEdgeTolerance * m.width;
    const double tolR = kEdgeTolerance * m.height;
    enum : unsigned { Left = 1, Right = 2, Top = 4, Bottom = 8 };
    const auto code = [&](const Point &q) {
        return (q.c < -tolC ? Left : 0u) | (q.c > m.width + tolC ? Right : 0u) |
               (q.r < -tolR ? Top : 0u) | (q.r > m.height + tolR ? Bottom : 0u);
    };
    const auto along = [](double from, double to, double t) {
        return from + (to - from) * std::clamp(t, 0.0, 1.0);
    };
    for (int pass = 0; pass < 8; ++pass) {
        const unsigned out0 = code(p[0]), out1 = code(p[1]);
        if ((out0 | out1) == 0)
            break;
        if (out0 & out1)
            return std::nullopt;
        const int k = out0 ? 0 : 1;
        const unsigned outside = out0 ? out0 : out1;
        Point &moving = p[k];
        const Point &base = p[1 - k];
        if (outside & (Left | Right)) {
            const double edge = (outside & Left) ? 0.0 : m.width;
            moving.r = along(base.r, moving.r, (edge - base.c) / (moving.c - base.c));
            moving.c = edge;
        } else {
            const double edge = (outside & Top) ? 0.0 : m.height;
            moving.c = along(base.c, moving.c, (edge - base.r) / (moving.r - base.r));
            moving.r = edge;
        }
    }
    if (code(p[0]) | code(p[1]))
        return std::nullopt;
    return PixelSegment{{toIndex(p[0].c, m.width), toIndex(p[0].r, m.height)},
                        {toIndex(p[1].c, m.width), toIndex(p[1].r, m.height)}};
}

} // namespace kvadrolab::raster

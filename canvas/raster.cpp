// SPDX-License-Identifier: GPL-3.0-or-later
#include "canvas/raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kvadrolab {

namespace {

// Finite floats in order as unsigned integers, for a binary search.
std::uint32_t ordered(float v)
{
    const auto u = std::bit_cast<std::uint32_t>(v);
    return (u & 0x80000000u) ? ~u : (u | 0x80000000u);
}

float fromOrdered(std::uint32_t o)
{
    return std::bit_cast<float>((o & 0x80000000u) ? (o & 0x7fffffffu) : ~o);
}

// The smallest finite float for which the monotone predicate holds, or
// +infinity when none does. The guess is usually a few floats off, so the
// search steps from it and falls back to bisecting the whole float range.
template <typename Pred> float firstWhere(Pred holds, double guess)
{
    constexpr float kMax = std::numeric_limits<float>::max();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    if (!holds(kMax))
        return kInf;
    if (holds(-kMax))
        return -kMax;
    if (std::isfinite(guess) && std::fabs(guess) <= kMax) {
        float g = static_cast<float>(guess);
        for (int steps = 0; steps < 64; ++steps) {
            if (holds(g)) {
                const float below = std::nextafter(g, -kInf);
                if (!holds(below))
                    return g;
                g = below;
            } else {
                g = std::nextafter(g, kInf);
            }
        }
    }
    std::uint32_t lo = ordered(-kMax), hi = ordered(kMax); // !holds(lo), holds(hi)
    while (hi - lo > 1) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        (holds(fromOrdered(mid)) ? hi : lo) = mid;
    }
    return fromOrdered(hi);
}

} // namespace

AxisCells::AxisCells(double u1, double u2, int size) : m_sign(u2 > u1 ? 1.0f : -1.0f)
{
    // The same arithmetic as Mapping::toColumn, on the value of the key.
    const auto mapped = [&](float k) {
        const double v = k * m_sign;
        return (v - u1) / (u2 - u1) * size;
    };
    const auto valueAt = [&](double pixel) { return (u1 + pixel / size * (u2 - u1)) * m_sign; };
    m_lower.resize(size + 1);
    m_lower[0] = -std::numeric_limits<float>::infinity();
    m_lower[size] = std::numeric_limits<float>::infinity();
    for (int c = 1; c < size; ++c)
        m_lower[c] = firstWhere([&](float k) { return toIndex(mapped(k), size) >= c; }, valueAt(c));
    const double tol = kEdgeTolerance * size;
    m_insideFrom = firstWhere([&](float k) { return mapped(k) >= -tol; }, valueAt(-tol));
    m_insideTo = firstWhere([&](float k) { return mapped(k) > size + tol; }, valueAt(size + tol));
}

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

} // namespace kvadrolab

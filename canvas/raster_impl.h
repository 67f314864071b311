// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>

namespace kvadrolab {

// A point computed to lie on the far edge may come out a rounding error
// beyond it; such a point is still on the edge.
inline constexpr double kEdgeTolerance = 1e-9;

// floor(v), held to 0 .. size - 1. Inline and without a call to floor():
// the function graph maps ten million points a press.
inline int toIndex(double v, int size)
{
    if (!(v >= 1)) // also NaN
        return 0;
    if (v >= size)
        return size - 1;
    return static_cast<int>(v); // truncation is floor for v >= 1
}

std::optional<PixelSegment> clipPartly(const Mapping &m, double c0, double r0, double c1,
                                       double r1);

inline std::optional<PixelSegment> clipMapped(const Mapping &m, double c0, double r0, double c1,
                                              double r1)
{
    // Most segments of a chart lie wholly inside, where clipping would only
    // confirm t = 0 and t = 1.
    const double tolC = kEdgeTolerance * m.width;
    const double tolR = kEdgeTolerance * m.height;
    const auto insideC = [&](double c) { return c >= -tolC && c <= m.width + tolC; };
    const auto insideR = [&](double r) { return r >= -tolR && r <= m.height + tolR; };
    if (insideC(c0) && insideC(c1) && insideR(r0) && insideR(r1))
        return PixelSegment{{toIndex(c0, m.width), toIndex(r0, m.height)},
                            {toIndex(c1, m.width), toIndex(r1, m.height)}};
    return clipPartly(m, c0, r0, c1, r1);
}

template <typename Span> void forEachColumn(const PixelSegment &s, Span &&span)
{
    PixelPoint a = s.from;
    PixelPoint b = s.to;
    if (a.col > b.col)
        std::swap(a, b);
    const int dc = b.col - a.col;
    const int dr = b.row - a.row;
    if (dc == 0) {
        span(a.col, std::min(a.row, b.row), std::max(a.row, b.row));
        return;
    }
    // Row of the ideal line at the column boundary c + 1/2, in exact integer
    // arithmetic: round(a.row + dr * (2k + 1) / (2 dc)) for k = c - a.col.
    const auto rowAtBoundary = [&](int k) {
        const long long num = static_cast<long long>(dr) * (2 * k + 1);
        const long long den = 2LL * dc;
        // round half up of a.row + num / den, with num possibly negative
        const long long twice = 2 * num + den;
        const long long q = twice >= 0 ? twice / (2 * den) : -((-twice + 2 * den - 1) / (2 * den));
        return static_cast<int>(a.row + q);
    };
    int enter = a.row;
    for (int k = 0; k <= dc; ++k) {
        const int leave = k == dc ? b.row : rowAtBoundary(k);
        span(a.col + k, std::min(enter, leave), std::max(enter, leave));
        enter = leave;
    }
}

} // namespace kvadrolab

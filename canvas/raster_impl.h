#pragma once

#include <algorithm>
#include <cmath>

namespace kvadrolab::raster {

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

} // namespace kvadrolab::raster

#include "raster.h"

#include <cmath>

namespace kvadrolab::raster {

PixelPoint Mapping::toPixel(double x, double y) const
{
    return {toIndex(toColumn(x), width), toIndex(toRow(y), height)};
}

std::optional<PixelSegment> clip(const Mapping &m, double x1, double y1, double x2, double y2)
{
    return clipMapped(m, m.toColumn(x1), m.toRow(y1), m.toColumn(x2), m.toRow(y2));
}

std::optional<PixelSegment> clipPartly(const Mapping &m, double c0, double r0, double c1, double r1)
{
    // Liang-Barsky in continuous pixel coordinates against [0, W] x [0, H].
    if (!std::isfinite(c0) || !std::isfinite(r0) || !std::isfinite(c1) || !std::isfinite(r1))
        return std::nullopt;

    const double tolC = kEdgeTolerance * m.width;
    const double tolR = kEdgeTolerance * m.height;
    const double dc = c1 - c0, dr = r1 - r0;
    double tIn = 0.0, tOut = 1.0;
    const auto edge = [&](double p, double q) {
        // p * t <= q must hold for the point at parameter t to be inside.
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0)
            tIn = std::max(tIn, t);
        else
            tOut = std::min(tOut, t);
        return tIn <= tOut;
    };
    if (!edge(-dc, c0 + tolC) || !edge(dc, m.width + tolC - c0) || !edge(-dr, r0 + tolR) ||
        !edge(dr, m.height + tolR - r0))
        return std::nullopt;

    // Each clipped end is interpolated from the nearer original end, which
    // keeps a segment with one end far outside exact where it is visible;
    // an end that was inside stays bit for bit what it was.
    const auto at = [&](double t, double from0, double from1) {
        if (t == 0.0)
            return from0;
        if (t == 1.0)
            return from1;
        return t <= 0.5 ? from0 + (from1 - from0) * t : from1 - (from1 - from0) * (1.0 - t);
    };
    const PixelPoint a{toIndex(at(tIn, c0, c1), m.width), toIndex(at(tIn, r0, r1), m.height)};
    const PixelPoint b{toIndex(at(tOut, c0, c1), m.width), toIndex(at(tOut, r0, r1), m.height)};
    return PixelSegment{a, b};
}

} // namespace kvadrolab::raster

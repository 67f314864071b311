#pragma once

#include <optional>

// The canvas's geometry without any widget: clipping in double precision and
// the rule that turns a segment into pixels. Kept apart so that the per-column
// reduction and the segment-by-segment drawing provably share one rasteriser.
namespace kvadrolab::raster {

struct PixelPoint
{
    int col, row;
    bool operator==(const PixelPoint &) const = default;
};

struct PixelSegment
{
    PixelPoint from, to;
};

// A user coordinate system laid over a W x H pixel interior: (x1, y1) is the
// upper-left corner, (x2, y2) the lower-right one.
struct Mapping
{
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    int width = 1, height = 1;

    // (x - x1) / (x2 - x1) * W, likewise for y: continuous pixel coordinates.
    double toColumn(double x) const { return (x - x1) / (x2 - x1) * width; }
    double toRow(double y) const { return (y - y1) / (y2 - y1) * height; }
};

// The visible part of the segment given in continuous pixel coordinates
// (toColumn, toRow), in whole pixels, or nothing when no part of it lies
// inside the interior. floor() takes a coordinate to its pixel, with the far
// edge (and rounding just past it) landing on the last column or row.
inline std::optional<PixelSegment> clipMapped(const Mapping &m, double c0, double r0, double c1,
                                              double r1);

// Calls span(col, top, bottom) once per column the segment covers, left to
// right, with the rows it covers in that column (top <= bottom). Each column's
// rows are those of the ideal line between the column's half-way boundaries,
// rounded, so consecutive columns overlap or touch: the line is 8-connected.
template <typename Span> void forEachColumn(const PixelSegment &s, Span &&span);

} // namespace kvadrolab::raster

#include "canvas/raster_impl.h"

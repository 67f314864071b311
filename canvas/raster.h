// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

// The canvas's geometry without any widget: clipping in double precision and
// the rule that turns a segment into pixels. Kept apart so that the per-column
// reduction and the segment-by-segment drawing provably share one rasteriser.
namespace kvadrolab {

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
    bool operator==(const Mapping &) const = default;
};

// The visible part of the segment given in continuous pixel coordinates
// (toColumn, toRow), in whole pixels, or nothing when no part of it lies
// inside the interior. floor() takes a coordinate to its pixel, with the far
// edge (and rounding just past it) landing on the last column or row.
inline std::optional<PixelSegment> clipMapped(const Mapping &m, double c0, double r0, double c1,
                                              double r1);

// One axis of a Mapping seen from single-precision coordinates: which pixel
// (toIndex of toColumn or toRow) a float falls in, and whether it passes
// clipMapped()'s inside test. Both depend monotonically on the float, so
// both are decided by comparing it with floats found once per mapping, and
// agree exactly with the arithmetic they replace.
class AxisCells
{
public:
    AxisCells() = default;
    // The axis from u1 (pixel edge 0) to u2 (pixel edge size).
    AxisCells(double u1, double u2, int size);

    // The tables by value and pointer, for a loop to keep in registers.
    struct View
    {
        float sign;                 // -1 on a reversed axis, so pixels grow with the key
        float insideFrom, insideTo; // keys of the inside test: [from, to)
        const float *lower;         // the smallest key of each pixel, then +infinity
        int size;                   // pixels

        float key(float v) const { return v * sign; } // exact
        bool inside(float v) const
        {
            const float k = key(v);
            return k >= insideFrom && k < insideTo;
        }
        // The pixel of a finite v, searched from a pixel near it: a curve
        // moves little from one point to the next.
        int cell(float v, int near) const { return cellOfKey(key(v), near); }
        int cellOfKey(float k, int near) const
        {
            for (int steps = 0; steps < 4; ++steps) {
                if (k < lower[near])
                    --near; // never below 0: lower[0] is -infinity
                else if (k >= lower[near + 1])
                    ++near;
                else
                    return near;
            }
            // A far jump: the last pixel whose smallest key is <= k.
            return static_cast<int>(std::upper_bound(lower + 1, lower + size, k) - lower) - 1;
        }
        bool inCell(float v, int c) const
        {
            const float k = key(v);
            return k >= lower[c] && k < lower[c + 1];
        }
    };
    View view() const
    {
        return {m_sign, m_insideFrom, m_insideTo, m_lower.data(),
                static_cast<int>(m_lower.size()) - 1};
    }

private:
    float m_sign = 1;
    float m_insideFrom = 0, m_insideTo = 0;
    std::vector<float> m_lower; // size + 1 entries, as View::lower
};

// Calls span(col, top, bottom) once per column the segment covers, left to
// right, with the rows it covers in that column (top <= bottom). Each column's
// rows are those of the ideal line between the column's half-way boundaries,
// rounded, so consecutive columns overlap or touch: the line is 8-connected.
template <typename Span> void forEachColumn(const PixelSegment &s, Span &&span);

} // namespace kvadrolab

#include "canvas/raster_impl.h"

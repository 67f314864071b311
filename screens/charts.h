// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"
#include "core/errorbound.h"

#include <limits>
#include <optional>

// The program's charts, as the sequence of canvas operations one press of
// "Построить" performs: clear, setScale, the curve(s), then the grid. Each
// function reads nothing from a window; the window hands in what its fields
// held (each a number, or why not) and words the outcome.
namespace kvadrolab {

// A chart that is refused (NotANumber for a field that held none,
// BeyondSinglePrecision for a value the canvas would be handed that has no
// float, and as boundCurve() refuses) leaves the canvas cleared, scaled and
// empty.

// One error-bound chart: the bound it draws and the value at its top edge.
struct BoundChart
{
    BoundFunction bound;
    double top; // negative: the bounds are carried with a minus sign
};
// The charts' tops as designed: just above each bound at n = 10, where it is
// largest (-0.244 * 5^3 / (12 * 10^2) = -0.02542 for the trapezoid rule,
// -105 * 5^5 / (180 * 20^4) = -0.01139 for Simpson's), so that each curve
// starts just inside the top edge.
inline constexpr double kTrapezoidTop = -0.0255;
inline constexpr double kSimpsonTop = -0.01145;
inline constexpr BoundChart kTrapezoidChart{trapezoidBound, kTrapezoidTop};
inline constexpr BoundChart kSimpsonChart{simpsonBoundOverPairs, kSimpsonTop};

// Scale (0, top)-(210, 0); the bound curve over n = 10..210 in the fore colour;
// 21 red vertical lines at n = 0..200 and red horizontal lines from the top
// down in steps of |top| / 13, as long as the running sum stays <= 0.
Result<void> drawBoundChart(PlotCanvas &canvas, const BoundChart &chart, const Result<double> &a,
                            const Result<double> &b);

// Scale (10, -0.0255)-(200, 0); the trapezoid curve in red, the Simpson curve
// in black, then the blue grid of the trapezoid chart.
Result<void> drawComparisonChart(PlotCanvas &canvas, const Result<double> &a,
                                 const Result<double> &b);

// The function graph is interactive: the step decides how long the user waits.
// Ten million segments take about 0.15 s on a 2-core office machine.
inline constexpr long long kMaxSegments = 10'000'000;

// The function graph's x range, and the largest x its first segment may end
// at: the canvas takes single-precision coordinates.
inline constexpr double kGraphA = 1;
inline constexpr double kGraphB = 6;
inline constexpr double kGraphLargestX = std::numeric_limits<float>::max();

// Scale (1, -0.05)-(6, 0); -f from x = 1 in steps of H while x <= 6, the
// counter growing by repeated addition; then the red grid (x = 0..6, and
// y = -0.05 upwards in steps of 0.01 while <= 0). A negative step draws the
// grid alone. The curve segments drawn, or refused with nothing drawn: no
// number, H = 0 (ZeroStep), more than kMaxSegments segments (TooManySegments),
// or a first segment end beyond the float range (BeyondSinglePrecision).
Result<long long> drawFunctionGraph(PlotCanvas &canvas, const Result<double> &step);

// Whether the graph's loop draws at most kMaxSegments segments for a positive
// step; exact also right at the limit.
bool withinSegmentLimit(double step);

} // namespace kvadrolab

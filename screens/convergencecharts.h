// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/convergence.h"

namespace kvadrolab {
class PlotCanvas;
}

// The two pictures of the convergence study, drawn from a finished study:
// clear, setScale, grid, lines, captions. They compute nothing about the
// rules themselves; the core has done that.
namespace kvadrolab::convergencecharts {

// Colours of the error chart: each rule's actual error, and its a-priori
// bound in a lighter shade of the same colour.
inline constexpr unsigned kTrapezoidError = 255;      // rgb(255, 0, 0)
inline constexpr unsigned kSimpsonError = 0;          // rgb(0, 0, 0)
inline constexpr unsigned kTrapezoidBound = 0x9696ff; // rgb(255, 150, 150)
inline constexpr unsigned kSimpsonBound = 0x969696;   // rgb(150, 150, 150)
inline constexpr unsigned kGrid = 0xdcdcdc;           // rgb(220, 220, 220)
inline constexpr unsigned kFrame = 0xa0a0a0;          // rgb(160, 160, 160): plot area, axis
inline constexpr unsigned kFunction = 0xff0000;       // rgb(0, 0, 255)

// |e(n)| of both rules and their bounds against n = 2..1000, both axes
// logarithmic, with a grid line and a caption at every decade (captions
// thinned out where decades lie too close). Zero errors are left out.
// Refused with BeyondSinglePrecision, the canvas cleared, when the values
// cannot be drawn.
Result<void> drawErrorChart(PlotCanvas &canvas, const ConvergenceStudy &study);

// f over the interval, the trapezoid rule's chords and node verticals in red
// and Simpson's arcs over each pair of subintervals in black, with the
// interval's ends as captions. Refused with BeyondSinglePrecision, the canvas
// cleared, when the interval cannot be drawn (an end beyond the canvas's
// single precision).
Result<void> drawRulePicture(PlotCanvas &canvas, const RulePicture &picture);

} // namespace kvadrolab::convergencecharts

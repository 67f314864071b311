// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"
#include "study/convergence.h"

// The two pictures of the convergence study, drawn from a finished study:
// clear, setScale, grid, lines, captions. They compute nothing about the
// rules themselves; the core has done that.
namespace kvadrolab {

// Each rule's colour, for its actual error on the error chart and its chords
// or arcs on the rule picture; its a-priori bound in a lighter shade of it.
inline constexpr PlotCanvas::Colour kTrapezoidErrorColour = PlotCanvas::rgb(255, 0, 0);
inline constexpr PlotCanvas::Colour kSimpsonErrorColour = PlotCanvas::rgb(0, 0, 0);
inline constexpr PlotCanvas::Colour kTrapezoidBoundColour = PlotCanvas::rgb(255, 150, 150);
inline constexpr PlotCanvas::Colour kSimpsonBoundColour = PlotCanvas::rgb(150, 150, 150);
inline constexpr PlotCanvas::Colour kStudyGridColour = PlotCanvas::rgb(220, 220, 220);
// The plot area's frame and the rule picture's axis.
inline constexpr PlotCanvas::Colour kStudyFrameColour = PlotCanvas::rgb(160, 160, 160);
// f in the rule picture, under the rules' red and black.
inline constexpr PlotCanvas::Colour kFunctionColour = PlotCanvas::rgb(0, 0, 255);

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

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "canvas/plotcanvas.h"
#include "rules/compositerule.h"
#include "studywindow/chartsamples.h"
#include "studywindow/chartsurface.h"

#include <vector>

namespace kvadrolab {

// The rule `kind` at n on f over [a; b]: f as a curve through fSamples
// (absent values break it), each piece's shape (a rectangle, a chord, an arc
// through its nodes) with the area under it lightly shaded and its outline,
// the nodes as dots where they lie far enough apart to be seen, and the x
// axis where y = 0 is in view. The area is shaded down to y = 0 when 0 is in
// view, which it is whenever the values reach within their own spread of it;
// otherwise down to the picture's lower edge. With more pieces than the
// picture has room for, the boundaries between pieces are left out, and the
// shading and the shapes' outline remain. Title ("Метод трапеций, n = 8"),
// the ends of [a; b] with round values between them, the values' highest,
// lowest and 0 at their heights, and a legend: everything on the surface, so
// that a copied or saved picture is complete. Refused, the canvas left
// cleared: EmptyInterval for a == b, BeyondSinglePrecision for an end or a
// value the canvas cannot hold (not finite, or too large for single
// precision) or with nothing to draw, TooManySegments above kRuleDrawingLimit
// pieces or kStudyChartSampleLimit samples.
Result<void> drawRuleOnF(ChartSurface &surface, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b);
Result<void> drawRuleOnF(PlotCanvas &canvas, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "canvas/plotcanvas.h"
#include "proof/derivativemax.h"
#include "studywindow/chartsamples.h"
#include "studywindow/chartsurface.h"

#include <QString>

#include <optional>
#include <vector>

namespace kvadrolab {

// One panel of the derivative chart: the curve's samples over [a; b], the
// proven maximum (marked with a dot at (at, its value)) and the caller's text
// for it, "M2 = … при x ≈ …" or why it is refused.
struct DerivativePanel
{
    std::vector<Sample> samples;
    std::optional<DerivativeMax> maximum;
    QString note;
};

// f, |f''| and |f''''| over [a; b] in three panels stacked in one canvas over
// one x axis, each with its own linear y scale (the three differ by orders of
// magnitude, and a common or logarithmic scale would flatten or hide the
// shapes a student compares with the bounds). Each panel is named, shows its
// highest and lowest value (and 0) and its maximum's note; a panel whose
// values the canvas cannot hold says so in its place and the others are
// drawn. Title and legend on top, a and b and round values between them under
// the last panel: everything on the canvas, so that a copied or saved picture
// is complete. Refused, the canvas left cleared: EmptyInterval for a == b,
// BeyondSinglePrecision for an end that is not finite or beyond single
// precision, TooManySegments above kStudyChartSampleLimit samples in a panel.
Result<void> drawDerivatives(ChartSurface &surface, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth);
Result<void> drawDerivatives(PlotCanvas &canvas, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "canvas/plotcanvas.h"
#include "study/study.h"
#include "studywindow/chartsurface.h"

#include <optional>

#include <vector>

namespace kvadrolab {

// |e(n)| of every rule against n on log-log axes, in its colour, with its
// a-priori bound dashed in the same colour; zero errors and absent bounds
// left out. Given the integral I, the double's rounding floor
// (roundingFloor) as a line of its own, and over the curves, as dots, the
// proven |e(n)| where the study's exact part has it clear of 0, below the
// floor where it lies there; each named in the legend. Decade grid and captions (thinned where
// crowded), "n" and
// "|e(n)|" on the axes, a title and a legend naming every rule, marked
// "оценка не доказана" where the rule has no bound at all, "ошибка 0"
// where every error is zero and "нет значений" where its curve is empty:
// everything on the canvas, so that a copied or saved picture is complete.
// It computes nothing about the rules: the study has done that. With nothing
// to draw the axes show 10^-16..1. Refused with TooManySegments above 9 rules
// or a curve longer than kStudyCurveLast points, the canvas left cleared.
Result<void> drawErrorCurves(ChartSurface &surface, const std::vector<StudyRule> &rules,
                             std::optional<double> integral = std::nullopt);
Result<void> drawErrorCurves(PlotCanvas &canvas, const std::vector<StudyRule> &rules,
                             std::optional<double> integral = std::nullopt);

// |I|·2^-52: the spacing of the doubles near I at most, under which a rule
// summed in doubles shows rounding rather than its error. Absent for I = 0.
std::optional<double> roundingFloor(double integral);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"
#include "proof/derivativemax.h"
#include "rules/compositerule.h"
#include "study/study.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

// The three pictures of the study of a typed f: the rule drawn on f, the
// actual errors against n on log-log axes, and f with |f''| and |f''''|. Each
// is a plain function that clears the canvas and draws everything on it,
// title, axes, captions and legend, so that the picture copied or saved from
// the canvas is complete. They compute nothing about the rules: the study
// has done that.
namespace kvadrolab {

// One colour per rule, in allRules order, everywhere the study shows a rule
// (its error curve, its shapes on f, its check box): Okabe and Ito's eight
// colours, which readers with any common colour vision deficiency tell apart,
// and a middle grey as the ninth. The grey and the black differ in lightness
// alone, so they go to the rules least often shown together.
inline constexpr std::array<PlotCanvas::Colour, 9> kRuleColours = {
    PlotCanvas::rgb(230, 159, 0),   // left rectangles: orange
    PlotCanvas::rgb(86, 180, 233),  // right rectangles: sky blue
    PlotCanvas::rgb(0, 158, 115),   // midpoint: bluish green
    PlotCanvas::rgb(213, 94, 0),    // trapezoid: vermilion
    PlotCanvas::rgb(0, 0, 0),       // Simpson: black
    PlotCanvas::rgb(204, 121, 167), // Simpson 3/8: reddish purple
    PlotCanvas::rgb(0, 114, 178),   // Boole: blue
    PlotCanvas::rgb(240, 228, 66),  // Gauss, 2 nodes: yellow
    PlotCanvas::rgb(153, 153, 153), // Gauss, 3 nodes: grey
};
PlotCanvas::Colour ruleColour(RuleKind kind);

// f on every study chart.
inline constexpr PlotCanvas::Colour kStudyFunctionColour = PlotCanvas::rgb(0, 0, 255);
// The grid, the plot areas' frames and the x axis, the captions' grey.
inline constexpr PlotCanvas::Colour kStudyChartGridColour = PlotCanvas::rgb(225, 225, 225);
inline constexpr PlotCanvas::Colour kStudyChartFrameColour = PlotCanvas::rgb(150, 150, 150);
inline constexpr PlotCanvas::Colour kStudyChartAxisColour = PlotCanvas::rgb(90, 90, 90);
// The share of a rule's colour in the shading under its shapes.
inline constexpr double kRuleShadeShare = 0.2;

// The most points of f a rule picture and a derivative panel take.
inline constexpr std::size_t kStudyChartSampleLimit = 100000;

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
// lowest and 0 at their heights, and a legend. Refused, the canvas left cleared: EmptyInterval for
// a == b, BeyondSinglePrecision for an end or a value the canvas cannot hold (not finite, or too
// large for single precision) or with nothing to draw, TooManySegments above kRuleDrawingLimit
// pieces or kStudyChartSampleLimit samples.
Result<void> drawRuleOnF(PlotCanvas &canvas, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b);

// |e(n)| of every rule against n on log-log axes, in its colour, with its
// a-priori bound dashed in the same colour; zero errors and absent bounds
// left out. Decade grid and captions (thinned where crowded), "n" and
// "|e(n)|" on the axes, a title and a legend naming every rule, marked
// "оценка не доказана" where the rule has no bound at all, "ошибка 0"
// where every error is zero and "нет значений" where its curve is empty. With nothing to draw the
// axes show 10^-16..1. Refused with TooManySegments above 9 rules or a curve longer than
// kStudyCurveLast points, the canvas left cleared.
Result<void> drawErrorCurves(PlotCanvas &canvas, const std::vector<StudyRule> &rules);

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
// highest and lowest value (and 0) and its maximum's note; a panel whose values the
// canvas cannot hold says so in its place and the others are drawn. Title
// and legend on top, a and b and round values between them under the last
// panel. Refused, the canvas left
// cleared: EmptyInterval for a == b, BeyondSinglePrecision for an end that is
// not finite or beyond single precision, TooManySegments above
// kStudyChartSampleLimit samples in a panel.
Result<void> drawDerivatives(PlotCanvas &canvas, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth);

} // namespace kvadrolab

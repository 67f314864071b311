// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/rulechart.h"

#include "study/ruletext.h"
#include "studywindow/chartcolours.h"
#include "studywindow/chartframe.h"
#include "studywindow/chartlegend.h"
#include "studywindow/chartshapes.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace kvadrolab {

namespace {

// A piece at least this many logical pixels wide shows its boundaries, in
// the outline's weight from the second width on, thin below it (thick lines
// a few pixels apart would hide the shading); nodes at least this far apart
// show as dots.
constexpr double kPieceBoundaryWidth = 5, kThickBoundaryWidth = 16;
constexpr double kNodeSpacing = 6;
// Points along a curved shape: one a logical pixel, within these bounds, so
// that its chords stray from the arc by far less than a device pixel.
constexpr int kShapePointsMin = 3, kShapePointsMax = 2048;

// The shape's name in the legend: what the rule puts over each group.
QString shapeName(RuleKind kind)
{
    switch (kind) {
    case RuleKind::Left:
    case RuleKind::Right:
    case RuleKind::Midpoint:
        return QStringLiteral("прямоугольники");
    case RuleKind::Trapezoid:
        return QStringLiteral("трапеции");
    case RuleKind::Simpson:
        return QStringLiteral("параболы по 2 отрезкам");
    case RuleKind::Simpson38:
        return QStringLiteral("кубические параболы по 3 отрезкам");
    case RuleKind::Boole:
        return QStringLiteral("многочлены 4-й степени по 4 отрезкам");
    case RuleKind::Gauss2:
        return QStringLiteral("прямые через 2 узла Гаусса");
    case RuleKind::Gauss3:
        return QStringLiteral("параболы через 3 узла Гаусса");
    }
    return {};
}

// One piece's shape as points: its two ends for a constant or a chord, or
// enough points for an arc to look smooth at its width in pixels.
struct ShapePoints
{
    std::vector<double> x, y;
};

std::optional<ShapePoints> shapePoints(const RulePiece &piece, double pixelsWide)
{
    if (!drawableOnChart(piece.from) || !drawableOnChart(piece.to) ||
        piece.x.size() != piece.y.size() || piece.x.empty())
        return std::nullopt;
    const bool straight = piece.x.size() <= 2;
    const int points =
        straight ? 2 : std::clamp(int(pixelsWide) + 2, kShapePointsMin, kShapePointsMax);
    ShapePoints s;
    s.x.resize(points);
    s.y.resize(points);
    for (int i = 0; i < points; ++i) {
        s.x[i] =
            i + 1 == points ? piece.to : piece.from + (piece.to - piece.from) * i / (points - 1);
        s.y[i] = piece.shape(s.x[i]);
        if (!drawableOnChart(s.y[i]))
            return std::nullopt;
    }
    return s;
}

} // namespace

Result<void> drawRuleOnF(ChartSurface &canvas, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b)
{
    canvas.clear();
    if (const auto fault = chartIntervalFault(a, b))
        return refuseChart(canvas, *fault);
    if (pieces.size() > std::size_t(kRuleDrawingLimit) || fSamples.size() > kStudyChartSampleLimit)
        return refuseChart(canvas, Reason::TooManySegments);
    const double left = std::min(a, b), right = std::max(a, b);
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.size().width());

    // Everything is gathered and checked before anything is drawn, so that a
    // refusal leaves the canvas as clear() left it.
    ValueExtent values;
    std::vector<double> fx, fy;
    fx.reserve(fSamples.size());
    fy.reserve(fSamples.size());
    for (const Sample &s : fSamples) {
        if (!drawableOnChart(s.x))
            return refuseChart(canvas, Reason::BeyondSinglePrecision);
        fx.push_back(s.x);
        if (s.y && std::isfinite(*s.y)) {
            if (!drawableOnChart(*s.y))
                return refuseChart(canvas, Reason::BeyondSinglePrecision);
            fy.push_back(*s.y);
            values.add(*s.y);
        } else {
            // No float: the canvas breaks the curve here.
            fy.push_back(std::numeric_limits<double>::quiet_NaN());
        }
    }
    std::vector<ShapePoints> shapes;
    shapes.reserve(pieces.size());
    double nodeSpacing = std::numeric_limits<double>::infinity();
    double lastNode = -std::numeric_limits<double>::infinity();
    for (const RulePiece &piece : pieces) {
        const double wide = std::fabs(piece.to - piece.from) / (right - left) * canvasWidth;
        auto s = shapePoints(piece, wide);
        if (!s)
            return refuseChart(canvas, Reason::BeyondSinglePrecision);
        for (const double y : s->y)
            values.add(y);
        for (std::size_t i = 0; i < piece.x.size(); ++i) {
            if (!drawableOnChart(piece.x[i]) || !drawableOnChart(piece.y[i]))
                return refuseChart(canvas, Reason::BeyondSinglePrecision);
            values.add(piece.y[i]);
            // Shared ends of neighbouring pieces are one node.
            if (piece.x[i] != lastNode)
                nodeSpacing = std::min(nodeSpacing, std::fabs(piece.x[i] - lastNode));
            lastNode = piece.x[i];
        }
        shapes.push_back(std::move(*s));
    }
    if (values.empty())
        return refuseChart(canvas, Reason::BeyondSinglePrecision);
    // The rule's share is the area between its shapes and the x axis: the
    // axis is always in view.
    const auto [low, high] = shownValueRange(values.lo, values.hi, true);
    const double base = std::clamp(0.0, low, high);

    // Layout: title, legend, the plot area with the value captions on its
    // left and the ends of [a; b] under it.
    const PlotCanvas::Colour colour = ruleColour(kind);
    const PlotCanvas::Colour shade = blendColour(colour, canvas.backColor(), kRuleShadeShare);
    std::vector<LegendEntry> legend = {
        {LegendEntry::Sample::Line, kStudyFunctionColour, QStringLiteral("f(x)")},
        {LegendEntry::Sample::Shape, colour, shapeName(kind), shade},
    };
    const double captionWidth = valueCaptionWidth(metrics, values.hi, values.lo);
    const double plotLeft = kChartMargin + captionWidth + kChartCaptionGap + 3;
    const double plotWidth = std::max(1.0, canvasWidth - plotLeft - kChartMargin);
    const bool showNodes =
        !pieces.empty() && nodeSpacing / (right - left) * plotWidth >= kNodeSpacing;
    if (showNodes)
        legend.push_back({LegendEntry::Sample::Dot, colour, QStringLiteral("узлы")});
    const double above0 = chartTitleHeight(canvas);
    const double legendRows = legendHeight(metrics, legend, canvasWidth - 2 * kChartMargin);
    const double above = above0 + legendRows + kChartGap + line / 2;
    const double below = kChartCaptionGap + line + kChartMargin;
    const ChartFrame f =
        fitChartFrame(canvas, left, right, low, high, plotLeft, kChartMargin, above, below);
    if (!canvas.setFrame(f))
        return refuseChart(canvas, Reason::BeyondSinglePrecision);
    // Title and legend first: the printed lines are also what a screen
    // reader says of the picture, in this order.
    const QString name = QString::fromStdString(ruleTitle(kind));
    drawChartTitle(canvas, f, QStringLiteral("Метод %1, n = %2").arg(name).arg(n));
    drawLegend(canvas, f, legend, kChartMargin, above0, canvasWidth - 2 * kChartMargin);

    // Shading first, then the outlines over it, the axis, f, the nodes.
    for (const ShapePoints &s : shapes) {
        const std::vector<double> bases(s.x.size(), base);
        canvas.fill(s.x.data(), bases.data(), s.y.data(), s.x.size(), shade);
    }
    drawOutline(canvas, left, low, right, high, kStudyChartFrameColour);
    const double pieceWidth = pieces.empty() ? 0 : plotWidth / double(pieces.size());
    std::vector<double> topX, topY;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        const ShapePoints &s = shapes[k];
        for (const auto &[x, y] : {std::pair{s.x.front(), s.y.front()}, {s.x.back(), s.y.back()}}) {
            if (pieceWidth >= kThickBoundaryWidth)
                thickPolyline(canvas, f, {x, x}, {base, y}, colour);
            else if (pieceWidth >= kPieceBoundaryWidth)
                canvas.line(x, base, x, y, colour);
        }
        topX.insert(topX.end(), s.x.begin(), s.x.end());
        topY.insert(topY.end(), s.y.begin(), s.y.end());
    }
    thickPolyline(canvas, f, topX, topY, colour);
    if (low < 0 && high > 0)
        canvas.line(left, 0, right, 0, kStudyChartAxisColour);
    thickPolyline(canvas, f, fx, fy, kStudyFunctionColour);
    if (showNodes) {
        const double radius = std::min(3.0, nodeSpacing / (right - left) * plotWidth / 3);
        for (const RulePiece &piece : pieces)
            for (std::size_t i = 0; i < piece.x.size(); ++i)
                drawNode(canvas, f, piece.x[i], piece.y[i], radius, colour);
    }

    // Captions: the values' extremes and 0 at their heights, the ends of
    // [a; b] (named by which they are) under the area, title and legend.
    drawValueCaptions(canvas, f, plotLeft, left, values.hi, values.lo, low, high);
    const std::vector<double> ticks = xAxisTicks(canvas, f, left, right);
    drawXTickMarks(canvas, f, ticks, low);
    drawXCaptions(canvas, f, a, b, f.pixelY(low) + kChartCaptionGap, ticks);
    return {};
}

Result<void> drawRuleOnF(PlotCanvas &canvas, RuleKind kind, long n,
                         const std::vector<RulePiece> &pieces, const std::vector<Sample> &fSamples,
                         double a, double b)
{
    CanvasSurface surface(canvas);
    return drawRuleOnF(surface, kind, n, pieces, fSamples, a, b);
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/derivativechart.h"

#include "studywindow/chartcolours.h"
#include "studywindow/chartframe.h"
#include "studywindow/chartlegend.h"
#include "studywindow/chartshapes.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace kvadrolab {

namespace {

constexpr PlotCanvas::Colour kMaximumColour = PlotCanvas::rgb(213, 94, 0);
constexpr PlotCanvas::Colour kSecondColour = PlotCanvas::rgb(0, 158, 115);
constexpr PlotCanvas::Colour kFourthColour = PlotCanvas::rgb(136, 34, 85);

// A derivative panel made ready to draw: its points, its y range, and
// whether the canvas can hold them.
struct PanelPoints
{
    std::vector<double> x, y;
    bool drawable = false;
    double lo = 0, hi = 0;       // the values' extremes
    double low = 0, high = 0;    // the range shown
    std::optional<double> markY; // the maximum's height
};

PanelPoints preparePanel(const DerivativePanel &panel, bool magnitude)
{
    PanelPoints p;
    ValueExtent values;
    bool fits = true;
    for (const Sample &s : panel.samples) {
        const bool has = s.y && std::isfinite(*s.y);
        if (has && !drawableOnChart(*s.y))
            fits = false;
        if (!drawableOnChart(s.x)) {
            fits = false;
            continue;
        }
        p.x.push_back(s.x);
        p.y.push_back(has ? *s.y : std::numeric_limits<double>::quiet_NaN());
        if (has)
            values.add(*s.y);
    }
    if (panel.maximum) {
        const double m = (panel.maximum->lower + panel.maximum->upper) / 2;
        if (drawableOnChart(m) && drawableOnChart(panel.maximum->at)) {
            p.markY = m;
            values.add(m);
        }
    }
    if (!fits || values.empty())
        return p;
    p.drawable = true;
    p.lo = values.lo;
    p.hi = values.hi;
    std::tie(p.low, p.high) = shownValueRange(values.lo, values.hi, magnitude);
    return p;
}

} // namespace

Result<void> drawDerivatives(ChartSurface &canvas, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth)
{
    canvas.clear();
    if (const auto fault = chartIntervalFault(a, b))
        return refuseChart(canvas, *fault);
    for (const DerivativePanel *p : {&f, &second, &fourth})
        if (p->samples.size() > kStudyChartSampleLimit)
            return refuseChart(canvas, Reason::TooManySegments);
    const double left = std::min(a, b), right = std::max(a, b);
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.size().width());
    const double canvasHeight = std::max(1.0, canvas.size().height());

    struct Panel
    {
        const DerivativePanel *data;
        QString name;
        PlotCanvas::Colour colour;
        PanelPoints points;
    };
    Panel panels[] = {
        {&f, QStringLiteral("f(x)"), kStudyFunctionColour, preparePanel(f, false)},
        {&second, QStringLiteral("|f″(x)|"), kSecondColour, preparePanel(second, true)},
        {&fourth, QStringLiteral("|f⁗(x)|"), kFourthColour, preparePanel(fourth, true)},
    };
    const std::vector<LegendEntry> legend = {
        {LegendEntry::Sample::Line, kStudyFunctionColour, QStringLiteral("f(x)")},
        {LegendEntry::Sample::Line, kSecondColour, QStringLiteral("|f″(x)|")},
        {LegendEntry::Sample::Line, kFourthColour, QStringLiteral("|f⁗(x)|")},
        {LegendEntry::Sample::Dot, kMaximumColour, QStringLiteral("доказанный максимум")},
    };
    double captionWidth = 0;
    for (const Panel &p : panels)
        if (p.points.drawable)
            captionWidth =
                std::max(captionWidth, valueCaptionWidth(metrics, p.points.hi, p.points.lo));
    const double plotLeft = kChartMargin + captionWidth + kChartCaptionGap + 3;
    const double above0 = chartTitleHeight(canvas);
    const double panelsTop =
        above0 + legendHeight(metrics, legend, canvasWidth - 2 * kChartMargin) + kChartGap;
    const double panelsBottom = canvasHeight - kChartMargin - line - kChartCaptionGap;
    // Each panel: a header line (its name and its maximum's note), then its
    // curve's area; a gap between panels.
    const double panelHeight = (panelsBottom - panelsTop - 2 * kChartGap) / 3;
    const double header = line + 2;
    // The panels share one x axis: each sets the canvas's scale to its own y
    // range over its own band of rows.
    ChartFrame last{};
    for (int i = 0; i < 3; ++i) {
        const Panel &p = panels[i];
        const double top = panelsTop + i * (panelHeight + kChartGap);
        const double areaTop = top + header, areaBottom = top + panelHeight;
        const double low = p.points.drawable ? p.points.low : 0;
        const double high = p.points.drawable ? p.points.high : 1;
        const ChartFrame fr = fitChartFrame(canvas, left, right, low, high, plotLeft, kChartMargin,
                                            areaTop, canvasHeight - areaBottom);
        if (!canvas.setFrame(fr))
            return refuseChart(canvas, Reason::BeyondSinglePrecision);
        last = fr;
        if (i == 0) {
            drawChartTitle(canvas, fr,
                           QStringLiteral("f(x), |f″(x)| и |f⁗(x)| на [%1; %2]")
                               .arg(chartNumber(left), chartNumber(right)));
            drawLegend(canvas, fr, legend, kChartMargin, above0, canvasWidth - 2 * kChartMargin);
        }
        drawOutline(canvas, left, low, right, high, kStudyChartFrameColour);
        drawXTickMarks(canvas, fr, xAxisTicks(canvas, fr, left, right), low);
        printAt(canvas, fr, plotLeft + 4, top, p.name);
        printAt(canvas, fr,
                plotLeft + 4 + metrics.horizontalAdvance(p.name) +
                    metrics.horizontalAdvance(QStringLiteral("   ")),
                top, p.data->note);
        if (!p.points.drawable) {
            printCentred(canvas, fr, plotLeft + (canvasWidth - plotLeft - kChartMargin) / 2,
                         (areaTop + areaBottom - line) / 2,
                         QStringLiteral("значения не вычислены или слишком велики для "
                                        "рисунка"));
            continue;
        }
        if (low < 0 && high > 0)
            canvas.line(left, 0, right, 0, kStudyChartAxisColour);
        thickPolyline(canvas, fr, p.points.x, p.points.y, p.colour);
        if (p.points.markY)
            drawNode(canvas, fr, p.data->maximum->at, *p.points.markY, 3.5, kMaximumColour);
        drawValueCaptions(canvas, fr, plotLeft, left, p.points.hi, p.points.lo, low, high);
    }
    drawXCaptions(canvas, last, a, b, panelsBottom + kChartCaptionGap,
                  xAxisTicks(canvas, last, left, right));
    return {};
}

Result<void> drawDerivatives(PlotCanvas &canvas, double a, double b, const DerivativePanel &f,
                             const DerivativePanel &second, const DerivativePanel &fourth)
{
    CanvasSurface surface(canvas);
    return drawDerivatives(surface, a, b, f, second, fourth);
}

} // namespace kvadrolab

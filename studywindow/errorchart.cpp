// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/errorchart.h"

#include "numbers/numbertext.h"
#include "study/ruletext.h"
#include "studywindow/chartcolours.h"
#include "studywindow/chartframe.h"
#include "studywindow/chartlegend.h"
#include "studywindow/chartshapes.h"
#include "studywindow/studytext.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace kvadrolab {

namespace {

// Decade captions are kept at least this many lines apart.
constexpr double kCaptionSpacing = 1.1;
// Grid lines of the values are kept at least this many logical pixels apart.
constexpr double kGridSpacing = 3;

constexpr PlotCanvas::Colour kLegendGrey = PlotCanvas::rgb(80, 80, 80);
// The double's rounding floor: a colour no rule has.
constexpr PlotCanvas::Colour kFloorColour = PlotCanvas::rgb(140, 60, 20);
// The proven errors' dots, in logical pixels.
constexpr double kExactDotRadius = 2.5;

// A log-log plot area: x from log10 of the first n to log10 of the last,
// decades of the values from bottom to top (10^bottom .. 10^top).
struct LogArea
{
    double xFirst, xLast;
    int bottom, top;
};

// The widest decade caption of the area, in logical pixels.
double decadeCaptionWidth(const QFontMetricsF &metrics, const LogArea &area)
{
    double width = 0;
    for (int k = area.bottom; k <= area.top; ++k)
        width = std::max(width, metrics.horizontalAdvance(withSuperscripts(formatTenTo(k))));
    return width;
}

// The decades of n inside the area: a decade at the area's end is inside,
// however log10 rounds it.
int firstDecade(const LogArea &area)
{
    return int(std::ceil(area.xFirst - 1e-9));
}

int lastDecade(const LogArea &area)
{
    return int(std::floor(area.xLast + 1e-9));
}

// Every how many decades of the values a line (or caption) goes, so that
// they stay `spacing` logical pixels apart.
int decadeStep(const ChartFrame &f, const LogArea &area, double spacing)
{
    const double perDecade =
        std::abs(f.pixelY(area.top) - f.pixelY(area.bottom)) / std::max(1, area.top - area.bottom);
    return std::max(1, int(std::ceil(spacing / std::max(1e-3, perDecade))));
}

// Grid lines at the decades of both axes inside the area (every second or
// further one of the values where decades lie closer than a few pixels), then
// the area's frame.
void drawLogGrid(ChartSurface &canvas, const ChartFrame &f, const LogArea &area,
                 PlotCanvas::Colour grid, PlotCanvas::Colour frame)
{
    const int every = decadeStep(f, area, kGridSpacing);
    for (int k = area.bottom; k <= area.top; ++k)
        if ((area.top - k) % every == 0)
            canvas.line(area.xFirst, k, area.xLast, k, grid);
    for (int d = std::max(0, firstDecade(area)); d <= lastDecade(area); ++d)
        canvas.line(d, area.bottom, d, area.top, grid);
    canvas.line(area.xFirst, area.bottom, area.xLast, area.bottom, frame);
    canvas.line(area.xFirst, area.top, area.xLast, area.top, frame);
    canvas.line(area.xFirst, area.bottom, area.xFirst, area.top, frame);
    canvas.line(area.xLast, area.bottom, area.xLast, area.top, frame);
}

// Decade captions left of the area, ending at the pixel captionRight (10^k,
// thinned out where they would run into each other), and the n captions
// gapUnder pixels under it, centred on their places: the first n and every
// decade of n, written as counts are written.
void drawLogCaptions(ChartSurface &canvas, const ChartFrame &f, const LogArea &area,
                     double captionRight, double gapUnder)
{
    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    // A caption at every decade, or at every second or third where they
    // would run into each other.
    const int every = decadeStep(f, area, line * kCaptionSpacing);
    for (int k = area.top; k >= area.bottom; --k) {
        if ((area.top - k) % every)
            continue;
        printRightAligned(canvas, f, captionRight, f.pixelY(k) - line / 2,
                          withSuperscripts(formatTenTo(k)));
    }
    const double captionTop = f.pixelY(area.bottom) + gapUnder;
    // The decades of n are captioned as counts are written: no exponent, no
    // grouping. The first n is captioned too unless it is a decade or its
    // caption would touch the next one.
    const int first = std::max(0, firstDecade(area)), last = lastDecade(area);
    const long firstN = std::lround(std::pow(10.0, area.xFirst));
    const QString firstText = QString::number(firstN);
    const bool firstIsDecade = std::abs(area.xFirst - first) < 1e-9;
    if (!firstIsDecade) {
        const double room = first <= last ? f.pixelX(first) - f.pixelX(area.xFirst) : 1e9;
        const double needed = (metrics.horizontalAdvance(firstText) +
                               metrics.horizontalAdvance(QString::number(std::pow(10.0, first)))) /
                                  2 +
                              metrics.horizontalAdvance(QStringLiteral(" "));
        if (room >= needed)
            printCentred(canvas, f, f.pixelX(area.xFirst), captionTop, firstText);
    }
    double power = std::pow(10.0, first);
    for (int d = first; d <= last && d <= 15; ++d, power *= 10)
        printCentred(canvas, f, f.pixelX(d), captionTop, QString::number(power, 'f', 0));
}

} // namespace

std::optional<double> roundingFloor(double integral)
{
    // The doubles near I lie between 2^-53 |I| and 2^-52 |I| apart: a rule
    // summed in doubles cannot show an error below one such step, and its
    // last additions round by about that much. The floor is the wider step.
    const double floor = std::fabs(integral) * 0x1p-52;
    if (!(floor > 0) || !std::isfinite(floor))
        return std::nullopt;
    return floor;
}

Result<void> drawErrorCurves(ChartSurface &canvas, const std::vector<StudyRule> &rules,
                             std::optional<double> integral)
{
    canvas.clear();
    if (rules.size() > allRules.size())
        return refuseChart(canvas, Reason::TooManySegments);
    for (const StudyRule &r : rules)
        if (r.curve.size() > std::size_t(kStudyCurveLast))
            return refuseChart(canvas, Reason::TooManySegments);

    // Both axes in decades: log10 of n and of the values that exist.
    struct Curves
    {
        std::vector<double> x, error, bound;
        bool anyError = false, anyBound = false;
        // The proven |e(n)| where the exact sum's error keeps clear of 0.
        std::vector<double> exactX, exactError;
    };
    std::vector<Curves> curves(rules.size());
    ValueExtent ns, values;
    const double gap = std::numeric_limits<double>::quiet_NaN(); // breaks a line
    const auto logOf = [&](const std::optional<double> &v, bool &any) {
        if (!v || !(*v > 0) || !std::isfinite(*v))
            return gap;
        any = true;
        values.add(std::log10(*v));
        return std::log10(*v);
    };
    for (std::size_t k = 0; k < rules.size(); ++k)
        for (const StudyPoint &p : rules[k].curve) {
            if (p.n < 1)
                continue;
            Curves &c = curves[k];
            c.x.push_back(std::log10(double(p.n)));
            ns.add(c.x.back());
            c.error.push_back(logOf(p.absError, c.anyError));
            c.bound.push_back(logOf(p.bound, c.anyBound));
            if (p.exact && (p.exact->error.lower > 0 || p.exact->error.upper < 0)) {
                bool any = false;
                const double e = logOf(std::fabs(p.exact->error.mid), any);
                if (any) {
                    c.exactX.push_back(c.x.back());
                    c.exactError.push_back(e);
                }
            }
        }
    bool anyExact = false;
    for (const Curves &c : curves)
        anyExact = anyExact || !c.exactX.empty();
    // The floor is drawn only beside errors, which it explains.
    std::optional<double> floorLog;
    if (const auto floor = integral ? roundingFloor(*integral) : std::nullopt;
        floor && !values.empty()) {
        floorLog = std::log10(*floor);
        values.add(*floorLog);
    }
    double xFirst = 0, xLast = 3;
    if (!ns.empty()) {
        xFirst = ns.lo;
        xLast = std::max(ns.hi, xFirst + 1);
    }
    int bottom = -16, top = 0;
    if (!values.empty()) {
        bottom = int(std::floor(values.lo));
        top = std::max(bottom + 1, int(std::ceil(values.hi)));
    }
    const LogArea area{xFirst, xLast, bottom, top};

    const QFontMetricsF metrics(canvas.font());
    const double line = metrics.height();
    const double canvasWidth = std::max(1.0, canvas.size().width());
    std::vector<LegendEntry> legend = {
        // Beside the proven errors and the floor, the curves say what they are.
        {LegendEntry::Sample::Line, kLegendGrey,
         anyExact || floorLog ? QStringLiteral("фактическая ошибка |e(n)| (сумма в double)")
                              : QStringLiteral("фактическая ошибка |e(n)|")},
        {LegendEntry::Sample::Dashed, kLegendGrey, QStringLiteral("априорная оценка")},
    };
    if (anyExact)
        legend.push_back({LegendEntry::Sample::Dot, kLegendGrey,
                          QStringLiteral("доказанная ошибка |e(n)| (точные узлы, Arb)")});
    if (floorLog)
        legend.push_back({LegendEntry::Sample::Line, kFloorColour,
                          withSuperscripts(QStringLiteral("округление double ≈ |I|·2^-52"))});
    for (std::size_t k = 0; k < rules.size(); ++k) {
        QString text = QString::fromStdString(ruleTitle(rules[k].kind));
        if (curves[k].x.empty())
            text += QStringLiteral(" (нет значений)");
        else if (!curves[k].anyError)
            text += QStringLiteral(" (ошибка 0)");
        if (!curves[k].x.empty() && !curves[k].anyBound)
            text += QStringLiteral(" (оценка не доказана)");
        legend.push_back({LegendEntry::Sample::Line, ruleColour(rules[k].kind), text});
    }
    const double captionWidth = decadeCaptionWidth(metrics, area);
    const double above0 = chartTitleHeight(canvas);
    const double legendRows = legendHeight(metrics, legend, canvasWidth - 2 * kChartMargin);
    // Under the legend: the y axis's name, then half a caption over the area.
    const double above = above0 + legendRows + kChartGap + line + line / 2;
    const QString nName = QStringLiteral("n");
    const double lastCaption = metrics.horizontalAdvance(
        QString::number(std::pow(10.0, std::floor(xLast + 1e-9)), 'f', 0));
    const double right =
        lastCaption / 2 + kChartCaptionGap + metrics.horizontalAdvance(nName) + kChartMargin;
    const double leftMargin = kChartMargin + captionWidth + kChartCaptionGap;
    const ChartFrame f = fitChartFrame(canvas, xFirst, xLast, bottom, top, leftMargin, right, above,
                                       kChartCaptionGap + line + kChartMargin);
    if (!canvas.setFrame(f))
        return refuseChart(canvas, Reason::BeyondSinglePrecision);
    drawChartTitle(canvas, f, QStringLiteral("Фактическая ошибка и априорная оценка методов"));
    drawLegend(canvas, f, legend, kChartMargin, above0, canvasWidth - 2 * kChartMargin);

    drawLogGrid(canvas, f, area, kStudyChartGridColour, kStudyChartFrameColour);
    if (floorLog)
        thickPolyline(canvas, f, {xFirst, xLast}, {*floorLog, *floorLog}, kFloorColour);
    // Bounds under the errors: an error drawn over its bound stays whole.
    for (std::size_t k = 0; k < rules.size(); ++k)
        if (curves[k].anyBound)
            dashedPolyline(canvas, f, curves[k].x, curves[k].bound, ruleColour(rules[k].kind));
    for (std::size_t k = 0; k < rules.size(); ++k)
        if (curves[k].anyError)
            thickPolyline(canvas, f, curves[k].x, curves[k].error, ruleColour(rules[k].kind));
    // The proven errors over the curves: below the floor they are what the
    // double sums cannot show.
    for (std::size_t k = 0; k < rules.size(); ++k)
        for (std::size_t i = 0; i < curves[k].exactX.size(); ++i)
            drawNode(canvas, f, curves[k].exactX[i], curves[k].exactError[i], kExactDotRadius,
                     ruleColour(rules[k].kind));

    drawLogCaptions(canvas, f, area, kChartMargin + captionWidth, kChartCaptionGap);
    printAt(canvas, f, f.pixelX(xLast) + lastCaption / 2 + kChartCaptionGap,
            f.pixelY(bottom) + kChartCaptionGap, nName);
    printAt(canvas, f, kChartMargin, f.pixelY(top) - line / 2 - line - 1, QStringLiteral("|e(n)|"));
    return {};
}

Result<void> drawErrorCurves(PlotCanvas &canvas, const std::vector<StudyRule> &rules,
                             std::optional<double> integral)
{
    CanvasSurface surface(canvas);
    return drawErrorCurves(surface, rules, integral);
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "studywindow/chartsurface.h"

#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

// What the study's charts share around their curves: a user system with
// margins in logical pixels, captions placed by pixel, the title, the value
// captions at the left of a plot area and the x captions under it, and the
// checks of what a picture can hold.
namespace kvadrolab {

// Fits [lo;hi] x [bottom;top] into the canvas leaving the given margins.
ChartFrame fitChartFrame(const ChartSurface &canvas, double lo, double hi, double bottom,
                         double top, double left, double right, double above, double below);

// Logical pixels round the whole picture, between its title, legend and plot
// area, and between a plot area and its captions.
inline constexpr double kChartMargin = 8;
inline constexpr double kChartGap = 6;
inline constexpr double kChartCaptionGap = 4;

// Text with its upper-left corner at a pixel of the canvas; centred on px,
// or ending at px.
void printAt(ChartSurface &canvas, const ChartFrame &f, double px, double py, const QString &text);
void printCentred(ChartSurface &canvas, const ChartFrame &f, double px, double py,
                  const QString &text);
void printRightAligned(ChartSurface &canvas, const ChartFrame &f, double px, double py,
                       const QString &text);

// The picture's title centred at the top, and the surface's subject on a
// line under it where it has one; returns the pixel row under them.
double drawChartTitle(ChartSurface &canvas, const ChartFrame &f, const QString &title);
// That row, before any frame is set.
double chartTitleHeight(const ChartSurface &canvas);

// A value as the charts caption it: four significant digits, a power of ten
// written as the window writes it ("1,19·10^9"), a real minus sign.
QString chartNumber(double v);

// Whether the pictures take a value: finite and well inside single
// precision, so that the margins added round it and the pixel arithmetic
// stay finite floats.
bool drawableOnChart(double v);

// The ends of an interval as the pictures take them, or why not:
// BeyondSinglePrecision for an end they cannot hold, EmptyInterval for a == b.
std::optional<Reason> chartIntervalFault(double a, double b);

// Clears the surface and returns the refusal: a refused picture shows nothing.
Result<void> refuseChart(ChartSurface &canvas, Reason reason);

// Running extent of the values seen.
struct ValueExtent
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    void add(double v)
    {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    bool empty() const { return !(lo <= hi); }
};

// The y range a picture shows for values in [lo; hi]: 0 joins it when the
// values reach within their own spread of it (or always, withZero, for
// magnitudes), so that areas stand on the x axis; a flat range opens to 0 or
// round itself; then a little room above and below.
std::pair<double, double> shownValueRange(double lo, double hi, bool withZero);

// Round values strictly between lo and hi, 1, 2 or 5 times a power of ten
// apart, about one per `spacing` of the `pixels` the range spans: the ticks of
// a linear axis. At most pixels / spacing + 2 of them.
std::vector<double> roundTicks(double lo, double hi, double pixels, double spacing);

// Round values between the ends of [left; right], about a dozen digits'
// widths apart at the plot area's width.
std::vector<double> xAxisTicks(ChartSurface &canvas, const ChartFrame &f, double left,
                               double right);

// A short mark at each tick, up from the plot area's lower edge at y.
void drawXTickMarks(ChartSurface &canvas, const ChartFrame &f, const std::vector<double> &ticks,
                    double y);

// The ends of [a; b], named by which they are, at the ends of the x axis with
// their tops at the pixel row `top`, and the round values between them
// centred on their ticks where they keep a space's distance from each other.
void drawXCaptions(ChartSurface &canvas, const ChartFrame &f, double a, double b, double top,
                   const std::vector<double> &ticks);

// The values' highest and lowest and 0 (where the shown range [low; high]
// holds it), each where it lies and with a short tick, at the left of the
// plot area starting at the pixel plotLeft (x = left); one that would run
// into another is left out, the highest first to stay.
void drawValueCaptions(ChartSurface &canvas, const ChartFrame &f, double plotLeft, double left,
                       double hi, double lo, double low, double high);

// The width drawValueCaptions() needs left of its ticks.
double valueCaptionWidth(const QFontMetricsF &metrics, double hi, double lo);

} // namespace kvadrolab

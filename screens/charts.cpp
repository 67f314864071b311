// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/charts.h"

#include "core/integrandblock.h"
#include "core/vectorstate.h"

#include <array>
#include <cmath>

namespace kvadrolab {

namespace {

constexpr PlotCanvas::Colour kRed = PlotCanvas::rgb(255, 0, 0);
constexpr PlotCanvas::Colour kBlack = PlotCanvas::rgb(0, 0, 0);
constexpr PlotCanvas::Colour kBlue = PlotCanvas::rgb(0, 0, 255);

// The bound charts' x axis: n from 0 to 210, grid lines every 10 up to 200.
constexpr int kBoundRight = 210;
constexpr int kGridLastN = 200;
constexpr int kGridStepN = 10;
constexpr int kHorizontalDivisions = 13;

void drawCurve(PlotCanvas &canvas, const Curve &curve)
{
    for (const Segment &s : curve)
        canvas.drawLine(s.x1, s.y1, s.x2, s.y2);
}

void drawCurve(PlotCanvas &canvas, const Curve &curve, PlotCanvas::Colour colour)
{
    for (const Segment &s : curve)
        canvas.drawLine(s.x1, s.y1, s.x2, s.y2, colour);
}

// The horizontal lines come from a running double sum, not from top + k * step:
// the sum's rounding decides whether a line lands on y = 0 (it does for the
// Simpson chart's 14th line and does not for the trapezoid chart's).
void drawBoundGrid(PlotCanvas &canvas, double top, PlotCanvas::Colour colour)
{
    for (int i = 0; i <= kGridLastN; i += kGridStepN)
        canvas.drawLine(i, top, i, 0, colour);
    const double step = -top / kHorizontalDivisions;
    for (double y = top; y <= 0; y += step)
        canvas.drawLine(0, y, kBoundRight, y, colour);
}

// A field's refusal, laid at the field's input.
Refusal at(Input input, Refusal why)
{
    why.input = input;
    return why;
}

Refusal firstRefusal(const Result<double> &a, const Result<double> &b)
{
    return !a ? at(Input::A, a.refusal()) : at(Input::B, b.refusal());
}

} // namespace

Result<void> drawBoundChart(PlotCanvas &canvas, const BoundChart &chart, const Result<double> &a,
                            const Result<double> &b)
{
    canvas.clear();
    canvas.setScale(0, chart.top, kBoundRight, 0);
    if (!a || !b)
        return firstRefusal(a, b);
    const Result<Curve> curve = boundCurve(chart.bound, *a, *b);
    if (!curve)
        return curve.refusal();
    drawCurve(canvas, curve.value());
    drawBoundGrid(canvas, chart.top, kRed);
    return {};
}

Result<void> drawComparisonChart(PlotCanvas &canvas, const Result<double> &a,
                                 const Result<double> &b)
{
    const double top = kTrapezoidChart.top;
    canvas.clear();
    canvas.setScale(kCurveFirstN, top, kCurveLastN, 0);
    if (!a || !b)
        return firstRefusal(a, b);
    // Both curves are computed before either is drawn, so a refusal of the
    // second never leaves the first on the chart.
    const Result<Curve> trapezoid = boundCurve(trapezoidBound, *a, *b);
    if (!trapezoid)
        return trapezoid.refusal();
    const Result<Curve> simpson = boundCurve(simpsonBoundOverPairs, *a, *b);
    if (!simpson)
        return simpson.refusal();
    drawCurve(canvas, trapezoid.value(), kRed);
    drawCurve(canvas, simpson.value(), kBlack);
    drawBoundGrid(canvas, top, kBlue);
    return {};
}

namespace {

constexpr double kGraphTop = -0.05;
constexpr double kGraphGridStep = 0.01;

// The loop itself, counting and nothing else: x from a while x <= b.
long long countByAddition(double step, long long limit)
{
    long long n = 0;
    for (double x = kGraphA; x <= kGraphB && n <= limit; x += step)
        ++n;
    return n;
}

} // namespace

bool withinSegmentLimit(double step)
{
    // (b - a) / H + 1 is off from the loop's count by at most one: the running
    // sum drifts by far less than a step even over ten million additions. Only
    // near the limit is the loop itself run, without drawing, to decide.
    const double estimate = (kGraphB - kGraphA) / step + 1;
    constexpr double kMargin = 16;
    if (estimate > kMaxSegments + kMargin)
        return false;
    if (estimate < kMaxSegments - kMargin)
        return true;
    return countByAddition(step, kMaxSegments) <= kMaxSegments;
}

Result<long long> drawFunctionGraph(PlotCanvas &canvas, const Result<double> &step)
{
    canvas.clear();
    canvas.setScale(kGraphA, kGraphTop, kGraphB, 0);
    if (!step)
        return at(Input::Step, step.refusal());
    const double h = *step;
    if (h == 0)
        return Refusal{Reason::ZeroStep, Input::Step};
    long long segments = 0;
    // clear() fills the image through Qt's AVX2 code, which leaves the upper
    // halves of the AVX registers dirty; the loops below, the segment count
    // near the limit among them, are SSE code that would pay for it.
    clearUpperVectorState();
    if (h > 0) {
        if (!(kGraphA + h <= kGraphLargestX))
            return Refusal{Reason::BeyondSinglePrecision, Input::Step};
        if (!withinSegmentLimit(h))
            return Refusal{Reason::TooManySegments, Input::Step};
        // Each segment starts where the previous one ended, computed by the
        // same addition, so f is evaluated once per point. A block of points
        // is computed first, with the vectorised f, and handed to the canvas
        // as one run; each block repeats the previous block's last point.
        constexpr int kBlock = 1024;
        std::array<double, kBlock + 1> xs, ys;
        xs[0] = kGraphA;
        negatedFBlock(xs.data(), ys.data(), 1);
        while (xs[0] <= kGraphB) {
            // The previous block's drawPolyline may have asked Qt to repaint.
            clearUpperVectorState();
            int n = 0;
            while (n < kBlock && xs[n] <= kGraphB) {
                xs[n + 1] = xs[n] + h;
                ++n;
            }
            negatedFBlock(xs.data() + 1, ys.data() + 1, n);
            canvas.drawPolyline(xs.data(), ys.data(), n + 1);
            segments += n;
            xs[0] = xs[n];
            ys[0] = ys[n];
        }
    }
    const PlotCanvas::Colour red = kRed;
    for (int i = 0; i <= static_cast<int>(kGraphB); ++i)
        canvas.drawLine(i, kGraphTop, i, 0, red);
    for (double y = kGraphTop; y <= 0; y += kGraphGridStep)
        canvas.drawLine(0, y, kGraphB, y, red);
    return segments;
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartshapes.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab {

namespace {

// Dashes and gaps of a dashed line, in logical pixels.
constexpr double kDash = 6, kGap = 4;

// Device pixels per logical pixel of the canvas as drawn now.
double devicePixels(const PlotCanvas &canvas, const ChartFrame &f)
{
    return std::max(1.0, canvas.interiorPixels().width() / f.width);
}

} // namespace

PlotCanvas::Colour blendColour(PlotCanvas::Colour colour, PlotCanvas::Colour background,
                               double share)
{
    const auto part = [&](int shift) {
        const double c = (colour >> shift) & 0xff, b = (background >> shift) & 0xff;
        return int(std::lround(b + (c - b) * share));
    };
    return PlotCanvas::rgb(part(0), part(8), part(16));
}

void thickPolyline(PlotCanvas &canvas, const ChartFrame &f, const std::vector<double> &x,
                   const std::vector<double> &y, PlotCanvas::Colour colour)
{
    const std::size_t n = std::min(x.size(), y.size());
    const double dpr = devicePixels(canvas, f);
    const int copies = std::max(2, int(std::lround(1.5 * dpr)));
    // One device pixel in user units along each axis.
    const double ux = (f.x2 - f.x1) / (f.width * dpr), uy = (f.y2 - f.y1) / (f.height * dpr);
    std::vector<double> sx(n), sy(n);
    for (int i = 0; i < copies; ++i)
        for (int j = 0; j < copies; ++j) {
            // Only the outer ring of copies adds pixels a thinner pen lacks;
            // the inner ones would be painted over.
            if (i != 0 && j != 0 && i != copies - 1 && j != copies - 1)
                continue;
            for (std::size_t k = 0; k < n; ++k) {
                sx[k] = x[k] + i * ux;
                sy[k] = y[k] + j * uy;
            }
            canvas.drawPolyline(sx.data(), sy.data(), n, colour);
        }
}

void dashedPolyline(PlotCanvas &canvas, const ChartFrame &f, const std::vector<double> &x,
                    const std::vector<double> &y, PlotCanvas::Colour colour)
{
    // The dashes are cut along the line in logical pixels, so that they look
    // alike on a steep bound and a flat one; each dash is a thick polyline.
    const std::size_t n = std::min(x.size(), y.size());
    std::vector<double> dx, dy;
    double phase = 0; // logical pixels into the current dash and gap
    const auto flush = [&] {
        if (dx.size() >= 2)
            thickPolyline(canvas, f, dx, dy, colour);
        dx.clear();
        dy.clear();
    };
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (!std::isfinite(x[k]) || !std::isfinite(y[k]) || !std::isfinite(x[k + 1]) ||
            !std::isfinite(y[k + 1])) {
            flush();
            continue;
        }
        const double px = f.pixelX(x[k + 1]) - f.pixelX(x[k]);
        const double py = f.pixelY(y[k + 1]) - f.pixelY(y[k]);
        const double length = std::hypot(px, py);
        if (!std::isfinite(length))
            continue;
        // Walk the segment from one dash boundary to the next: at most
        // length / min(kDash, kGap) + 2 steps, and a segment longer than a
        // screen is no line of a chart, so the walk is cut at 10^5 steps.
        double done = 0;
        for (int steps = 0; done < length && steps < 100000; ++steps) {
            const bool on = phase < kDash;
            const double left = (on ? kDash : kDash + kGap) - phase;
            const double step = std::min(left, length - done);
            const double t0 = done / length, t1 = (done + step) / length;
            if (on) {
                if (dx.empty()) {
                    dx.push_back(x[k] + t0 * (x[k + 1] - x[k]));
                    dy.push_back(y[k] + t0 * (y[k + 1] - y[k]));
                }
                dx.push_back(x[k] + t1 * (x[k + 1] - x[k]));
                dy.push_back(y[k] + t1 * (y[k + 1] - y[k]));
            }
            done += step;
            phase += step;
            if (phase >= kDash + kGap)
                phase = 0;
            if (on && phase >= kDash)
                flush();
        }
    }
    flush();
}

void drawDot(PlotCanvas &canvas, const ChartFrame &f, double x, double y, double radius,
             PlotCanvas::Colour colour)
{
    // A disc as the band between its two half circles, a point every
    // twelfth of the diameter: at a few pixels' radius that is round.
    constexpr int kSteps = 12;
    double xs[kSteps + 1], low[kSteps + 1], high[kSteps + 1];
    const double cx = f.pixelX(x), cy = f.pixelY(y);
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return;
    for (int i = 0; i <= kSteps; ++i) {
        const double u = -1 + 2.0 * i / kSteps;
        const double h = radius * std::sqrt(std::max(0.0, 1 - u * u));
        xs[i] = f.userX(cx + u * radius);
        low[i] = f.userY(cy + h);
        high[i] = f.userY(cy - h);
    }
    canvas.fillBetween(xs, low, high, kSteps + 1, colour);
}

void drawOutline(PlotCanvas &canvas, double x1, double y1, double x2, double y2,
                 PlotCanvas::Colour colour)
{
    canvas.drawLine(x1, y1, x2, y1, colour);
    canvas.drawLine(x1, y2, x2, y2, colour);
    canvas.drawLine(x1, y1, x1, y2, colour);
    canvas.drawLine(x2, y1, x2, y2, colour);
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/chartshapes.h"

#include "studywindow/chartcolours.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab {

PlotCanvas::Colour blendColour(PlotCanvas::Colour colour, PlotCanvas::Colour background,
                               double share)
{
    const auto part = [&](int shift) {
        const double c = (colour >> shift) & 0xff, b = (background >> shift) & 0xff;
        return int(std::lround(b + (c - b) * share));
    };
    return PlotCanvas::rgb(part(0), part(8), part(16));
}

void thickPolyline(ChartSurface &canvas, const ChartFrame &, const std::vector<double> &x,
                   const std::vector<double> &y, PlotCanvas::Colour colour)
{
    canvas.thickPolyline(x, y, colour);
}

void dashedPolyline(ChartSurface &canvas, const ChartFrame &, const std::vector<double> &x,
                    const std::vector<double> &y, PlotCanvas::Colour colour)
{
    canvas.dashedPolyline(x, y, colour);
}

void drawDot(ChartSurface &canvas, const ChartFrame &, double x, double y, double radius,
             PlotCanvas::Colour colour)
{
    canvas.dot(x, y, radius, colour);
}

void drawNode(ChartSurface &canvas, const ChartFrame &f, double x, double y, double radius,
              PlotCanvas::Colour colour)
{
    drawDot(canvas, f, x, y, radius + 1, kStudyChartAxisColour);
    drawDot(canvas, f, x, y, radius, colour);
}

void drawOutline(ChartSurface &canvas, double x1, double y1, double x2, double y2,
                 PlotCanvas::Colour colour)
{
    canvas.line(x1, y1, x2, y1, colour);
    canvas.line(x1, y2, x2, y2, colour);
    canvas.line(x1, y1, x1, y2, colour);
    canvas.line(x2, y1, x2, y2, colour);
}

} // namespace kvadrolab

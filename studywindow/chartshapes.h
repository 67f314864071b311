// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "studywindow/chartframe.h"

#include <vector>

// The marks the study's charts draw with beyond the canvas's thin lines:
// thick and dashed curves, dots, outlines and the lighter shade of a colour.
namespace kvadrolab {

// The colour `share` of the way from the background to `colour`: the lighter
// shade of a colour for an area under it.
PlotCanvas::Colour blendColour(PlotCanvas::Colour colour, PlotCanvas::Colour background,
                               double share);

// A polyline about 1.5 logical pixels wide (on a canvas 2 device pixels at
// 100 %, 3 at 200 %): a curve among grid lines needs more weight. A value
// without a float breaks the line there. The frame is the one set last.
void thickPolyline(ChartSurface &canvas, const ChartFrame &f, const std::vector<double> &x,
                   const std::vector<double> &y, PlotCanvas::Colour colour);
// The same, dashed: dashes and gaps measured along the line in logical pixels.
void dashedPolyline(ChartSurface &canvas, const ChartFrame &f, const std::vector<double> &x,
                    const std::vector<double> &y, PlotCanvas::Colour colour);
// A filled disc of the given radius in logical pixels around (x, y).
void drawDot(ChartSurface &canvas, const ChartFrame &f, double x, double y, double radius,
             PlotCanvas::Colour colour);
// A node: the disc on a dark ring a logical pixel wide, so that it stands
// out from a shading or a curve of its own colour (Gauss's yellow on yellow).
void drawNode(ChartSurface &canvas, const ChartFrame &f, double x, double y, double radius,
              PlotCanvas::Colour colour);
// The outline of a rectangle given in user units.
void drawOutline(ChartSurface &canvas, double x1, double y1, double x2, double y2,
                 PlotCanvas::Colour colour);

} // namespace kvadrolab

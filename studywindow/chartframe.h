// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "canvas/plotcanvas.h"

#include <QFontMetricsF>
#include <QString>

#include <vector>

// What the study's charts share: a user system with margins in logical
// pixels, captions placed by pixel, the decade grid of a log-log chart, thick
// and dashed curves, and a legend drawn on the canvas itself, so that a copied
// or saved picture carries it.
namespace kvadrolab::chart {

// A user system laid over the canvas with margins in logical pixels, so that
// captions can be placed by pixel and lines by value.
struct Frame
{
    double x1, y1, x2, y2; // the canvas's corners in user units
    double width, height;  // logical pixels

    double userX(double px) const { return x1 + px / width * (x2 - x1); }
    double userY(double py) const { return y1 + py / height * (y2 - y1); }
    double pixelX(double x) const { return (x - x1) / (x2 - x1) * width; }
    double pixelY(double y) const { return (y - y1) / (y2 - y1) * height; }
};

// Fits [lo;hi] x [bottom;top] into the canvas leaving the given margins.
Frame fit(const PlotCanvas &canvas, double lo, double hi, double bottom, double top, double left,
          double right, double above, double below);

// Text with its upper-left corner at a pixel of the canvas; centred on px,
// or ending at px.
void printAt(PlotCanvas &canvas, const Frame &f, double px, double py, const QString &text);
void printCentred(PlotCanvas &canvas, const Frame &f, double px, double py, const QString &text);
void printRightAligned(PlotCanvas &canvas, const Frame &f, double px, double py,
                       const QString &text);

// The colour `share` of the way from the background to `colour`: the lighter
// shade of a colour for an area under it.
PlotCanvas::Colour blend(PlotCanvas::Colour colour, PlotCanvas::Colour background, double share);

// Device pixels per logical pixel of the canvas as drawn now.
double devicePixels(const PlotCanvas &canvas, const Frame &f);

// A polyline about 1.5 logical pixels wide (2 device pixels at 100 %, 3 at
// 200 %), drawn as copies one device pixel apart: the canvas draws thin lines
// only, and a curve among grid lines needs more weight. A value without a
// float breaks the line there.
void thickPolyline(PlotCanvas &canvas, const Frame &f, const std::vector<double> &x,
                   const std::vector<double> &y, PlotCanvas::Colour colour);
// The same, dashed: dashes and gaps measured along the line in logical pixels.
void dashedPolyline(PlotCanvas &canvas, const Frame &f, const std::vector<double> &x,
                    const std::vector<double> &y, PlotCanvas::Colour colour);
// A filled disc of the given radius in logical pixels around (x, y).
void dot(PlotCanvas &canvas, const Frame &f, double x, double y, double radius,
         PlotCanvas::Colour colour);
// A rectangle given in logical pixels, filled.
void box(PlotCanvas &canvas, const Frame &f, double left, double top, double right, double bottom,
         PlotCanvas::Colour colour);
// The outline of a rectangle given in user units.
void outline(PlotCanvas &canvas, double x1, double y1, double x2, double y2,
             PlotCanvas::Colour colour);

// A log-log plot area: x from log10 of the first n to log10 of the last,
// decades of the values from bottom to top (10^bottom .. 10^top).
struct LogArea
{
    double xFirst, xLast;
    int bottom, top;
};

// The widest decade caption of the area, in logical pixels.
double decadeCaptionWidth(const QFontMetricsF &metrics, const LogArea &area);

// Grid lines at the decades of both axes inside the area (every second or
// further one of the values where decades lie closer than a few pixels), then
// the area's frame.
void drawLogGrid(PlotCanvas &canvas, const Frame &f, const LogArea &area, PlotCanvas::Colour grid,
                 PlotCanvas::Colour frame);

// Decade captions left of the area, ending at the pixel captionRight (10^k,
// thinned out where they would run into each other), and the n captions
// gapUnder pixels under it, centred on their places: the first n and every
// decade of n, written as counts are written.
void drawLogCaptions(PlotCanvas &canvas, const Frame &f, const LogArea &area, double captionRight,
                     double gapUnder);

// Round values strictly between lo and hi, 1, 2 or 5 times a power of ten
// apart, about one per `spacing` of the `pixels` the range spans: the ticks of
// a linear axis. At most pixels / spacing + 2 of them.
std::vector<double> roundTicks(double lo, double hi, double pixels, double spacing);

// A legend: each entry a short sample of what it names and its text.
struct LegendEntry
{
    enum class Sample { Line, Dashed, Shape, Dot, None };
    Sample sample = Sample::Line;
    PlotCanvas::Colour colour = 0;
    QString text;
    PlotCanvas::Colour fill = 0; // the shading of Shape
};

// Entries flow left to right in rows of the given width, in logical pixels;
// the rows' height.
double legendHeight(const QFontMetricsF &metrics, const std::vector<LegendEntry> &entries,
                    double width);
// Draws them with the first row's top at (left, top); returns the height used.
double drawLegend(PlotCanvas &canvas, const Frame &f, const std::vector<LegendEntry> &entries,
                  double left, double top, double width);

} // namespace kvadrolab::chart

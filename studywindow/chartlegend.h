// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "studywindow/chartframe.h"

#include <QFontMetricsF>
#include <QString>

#include <vector>

// A legend drawn on the canvas itself, so that a copied or saved picture
// carries it.
namespace kvadrolab {

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
double drawLegend(ChartSurface &canvas, const ChartFrame &f,
                  const std::vector<LegendEntry> &entries, double left, double top, double width);

} // namespace kvadrolab

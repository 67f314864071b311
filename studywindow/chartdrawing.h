// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "studywindow/chartsurface.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// A chart kept with the canvas that shows it, so that it can be drawn again
// where the canvas's pixels would not do: larger, for a PNG, and as lines and
// text on the PDF sheet.
namespace kvadrolab {

// Keeps `drawing` with the canvas, with the subject a picture of it that
// leaves the window is titled with (studySubject()); an empty drawing forgets.
void keepChartDrawing(PlotCanvas &canvas, ChartDrawing drawing, const QString &subject);
// What the canvas keeps: the drawing (empty when none) and its subject.
ChartDrawing keptChartDrawing(const PlotCanvas &canvas);
QString keptChartSubject(const PlotCanvas &canvas);

// A picture saved from a chart is at least this many pixels wide.
inline constexpr int kChartPictureWidth = 1600;

// The canvas's kept chart drawn anew through a QPainter, laid out at the
// canvas's size in logical pixels and in its font, titled with its subject,
// at the screen's device-pixel ratio or more, so that the picture is at least
// kChartPictureWidth pixels wide; its devicePixelRatio says how many pixels
// it has to the canvas's one. Null without a drawing. `printed`, given,
// receives the lines of text it holds.
QImage chartPicture(const PlotCanvas &canvas, QStringList *printed = nullptr);

// The size of text on paper, in points.
inline constexpr double kPaperChartPoints = 9;

// The font charts are set in on paper and in pictures, `pixels` logical
// pixels high, unhinted so that its measures hold at any scale.
QFont paperChartFont(int pixels);

// Draws `drawing` into `rect` of a page at `dpi`, laid out so that its text
// is kPaperChartPoints high whatever the rectangle's size: a sheet chart's
// drawing (SheetChart::draw). The lines printed.
QStringList paintChartOnPaper(QPainter &painter, const QRectF &rect, double dpi,
                              const ChartDrawing &drawing);

} // namespace kvadrolab

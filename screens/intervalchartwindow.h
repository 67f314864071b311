// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/formbuilder.h"
#include "forms/secondarywindow.h"
#include "screens/charts.h"

#include <initializer_list>
#include <optional>
#include <span>

namespace kvadrolab {

class PlotCanvas;

// What the error-bound windows share: a in Text1, b in Text2, one chart that
// "Построить" draws from them, one message when it cannot, and a description
// of the chart for screen readers.
class IntervalChartWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    // "Построить".
    void plot();

protected:
    // `chartParts` are the controls beside the canvas (axis lines, scale
    // captions, a legend) that its menu copies and saves with it.
    IntervalChartWindow(const char *name, const char *caption, int clientWidthTwips,
                        int clientHeightTwips, std::span<const kvadrolab::Control> controls,
                        const char *canvas, std::initializer_list<const char *> chartParts);

    virtual kvadrolab::Result<void> draw(PlotCanvas &canvas, const Result<double> &a,
                                         const Result<double> &b) const = 0;
    // One line on what the drawn chart shows.
    virtual QString description(double a, double b) const = 0;

private:
    kvadrolab::Form m_form;
    PlotCanvas *m_canvas;
};

} // namespace kvadrolab

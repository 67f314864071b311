// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "screens/intervalchartwindow.h"

namespace kvadrolab {

// Both error bounds on one chart: Pogr_compare.
class CompareWindow : public IntervalChartWindow
{
    Q_OBJECT

public:
    CompareWindow();

private:
    kvadrolab::Result<void> draw(PlotCanvas &canvas, const Result<double> &a,
                                 const Result<double> &b) const override;
    QString description(double a, double b) const override;
};

} // namespace kvadrolab

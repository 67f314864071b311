// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/formbuilder.h"
#include "forms/secondarywindow.h"

namespace kvadrolab {

class PlotCanvas;

// The graph of the integrand over [1;6] with a step the user types: Int_g.
class FunctionGraphWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit FunctionGraphWindow(QWidget *parent = nullptr);

    // "Построить".
    void plot();

private:
    kvadrolab::Form m_form;
    PlotCanvas *m_canvas;
};

} // namespace kvadrolab

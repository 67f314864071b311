#pragma once

#include "formbuilder.h"
#include "secondarywindow.h"

class PlotCanvas;

// Both error bounds on one chart: Pogr_compare.
class CompareWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit CompareWindow(QWidget *parent = nullptr);

    // "Построить".
    void plot();

private:
    kvadrolab::forms::Form m_form;
    PlotCanvas *m_canvas;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/formbuilder.h"
#include "screens/secondarywindow.h"
#include "study/convergence.h"

#include <optional>

class QLineEdit;

namespace kvadrolab {

class PlotCanvas;
class ReadOnlyTable;
class NumberFields;

// "Исследование сходимости": how the actual error of both rules falls as n
// grows, against the a-priori bounds and Runge's estimate, how many
// subintervals a tolerance needs, and what the rules draw over f.
class ConvergenceWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit ConvergenceWindow(QWidget *parent = nullptr);

    // "Исследовать".
    void study();

private:
    void clearResults();
    // Reads the fields, studies, and draws both charts; the picture drawn, or
    // why nothing could be shown.
    kvadrolab::Result<kvadrolab::RulePicture> studyAndDraw(const NumberFields &fields);
    void showStudy(const ConvergenceStudy &study);
    void showCounts(const ConvergenceStudy &study);
    QLineEdit *field(const char *name) const;
    PlotCanvas *canvas(const char *name) const;

    kvadrolab::Form m_form;
    kvadrolab::ReadOnlyTable *m_table;
    kvadrolab::ReadOnlyTable *m_counts;
    std::optional<ConvergenceStudy> m_study;
};

} // namespace kvadrolab

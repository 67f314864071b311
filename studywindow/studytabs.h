// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QComboBox;
class QLabel;
class QString;
class QTabWidget;
class QWidget;

namespace kvadrolab {

class PlotCanvas;
class StudyTableModel;

// The study window's result tabs as built: the widgets and models the window
// fills, draws on and hands in on the sheet.
struct StudyTabs
{
    QTabWidget *widget = nullptr;

    // "Итоги": the proven integral, the maxima, the counts for ε, the rules at n.
    struct Summary
    {
        QLabel *integral = nullptr;
        QLabel *maximaTitle = nullptr;
        QLabel *countsTitle = nullptr;
        QLabel *atCountTitle = nullptr;
        StudyTableModel *maxima = nullptr;
        StudyTableModel *counts = nullptr;
        StudyTableModel *atCount = nullptr;
    } summary;

    // "Удвоение n": the doubling rows, Romberg's triangle, adaptive Simpson.
    struct Doubling
    {
        StudyTableModel *doubling = nullptr;
        StudyTableModel *romberg = nullptr;
        StudyTableModel *adaptive = nullptr;
        QLabel *doublingTitle = nullptr;
        QLabel *rombergTitle = nullptr;
        QLabel *adaptiveTitle = nullptr;
    } doubling;

    // "Правило на графике и шаги": the rule chosen, a note on it, the rule
    // drawn on f and its node table.
    struct Picture
    {
        QComboBox *rule = nullptr;
        QLabel *note = nullptr;
        PlotCanvas *canvas = nullptr;
        StudyTableModel *nodes = nullptr;
    } picture;

    // "Погрешности" and "f и производные".
    PlotCanvas *errorChart = nullptr;
    PlotCanvas *derivativeChart = nullptr;
};

// Builds the tab widget with its five pages, empty; the tab widget and the
// models are children of `window`, which places the tab widget in its layout.
StudyTabs buildStudyTabs(QWidget *window);

// Names what the tables are of in their fixed headings (the maxima's, the
// doubling's, Romberg's, adaptive Simpson's): "Сходимость при удвоении n —
// f(x) = x*sin(x), [0; pi]"; an empty subject leaves them, and the headings
// of the rules at n and of the counts for ε, as they were built.
void nameStudyTables(const StudyTabs &tabs, const QString &subject);

} // namespace kvadrolab

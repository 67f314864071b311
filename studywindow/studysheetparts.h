// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheet/studysheet.h"
#include "study/study.h"
#include "studywindow/chartsurface.h"
#include "studywindow/studentdialog.h"
#include "studywindow/studyasked.h"

#include <QImage>
#include <QList>
#include <QString>

#include <memory>

class QAbstractItemModel;
class QWidget;

namespace kvadrolab {

struct StudyTabs;

// What the study window hands in on paper, gathered from what it shows:
// the inputs, the proven integral, every table with its headers, and the
// charts as they are drawn.
struct StudySheetParts
{
    QString date;
    QString subject;           // f shortened, [a; b] as typed, ε and n: on every page
    QList<SheetLine> student;  // name, group and variant, on the first page
    QList<SheetLine> inputs;   // f, [a; b], ε, n, the methods
    QList<SheetLine> integral; // the proven integral, its certain digits
    struct Table
    {
        QString caption;
        const QAbstractItemModel *model = nullptr;
        // The columns naming a row, repeated over the parts of a wide table.
        int keyColumns = 1;
    };
    QList<Table> tables;
    struct Chart
    {
        QString caption;
        QImage image; // as drawn on screen, where there is no drawing
        // The chart to draw on paper as lines and text, with its width to
        // its height there.
        ChartDrawing drawing = {};
        double aspect = 1.6;
    };
    QList<Chart> charts;
};

// The most rows of one table on the sheet: a node table of 3 000 rows would
// be sixty pages nobody reads; the sheet says how many rows it left out.
inline constexpr int kSheetRowLimit = 200;

// The table's headers and the texts of its cells, as shown.
SheetTable sheetTable(const QAbstractItemModel &model, const QString &caption);

StudySheet studySheetFromParts(const StudySheetParts &parts);

// The line every page of the sheet heads with: f shortened and [a; b] as
// typed (studySubject), the study's ε and n.
QString sheetSubject(const Study &study, const StudyAsked &asked, long n);

// The sheet's lines for the student: name, group and variant, an empty one
// left as a line to fill in by hand.
QList<SheetLine> sheetStudent(const StudentFields &student);

// The sheet's lines for a finished study of f as typed, at the current n:
// the task (f, the interval, ε, n, the methods) and the proven integral.
QList<SheetLine> sheetInputs(const Study &study, const QString &formula, long n);
QList<SheetLine> sheetIntegral(const Study &study);

// The sheet of what the window shows of a finished study of the inputs
// asked, at the current n, handed in by `student`: its tables as the tabs
// hold them and its charts as drawn.
StudySheet studySheet(std::shared_ptr<const Study> study, const StudyAsked &asked, long n,
                      const StudyTabs &tabs, const StudentFields &student);

// "Сохранить отчёт…": with no study shown, or fields changed since the study
// shown was asked (`typed` is not the same study as `asked`), says to press
// «Исследовать» first. Otherwise asks who hands it in (askStudentFields),
// then where, suggesting studyFileStem() in the home folder, and writes
// studySheet() there, telling the student when it could not.
void saveStudySheet(QWidget *window, std::shared_ptr<const Study> study, const StudyAsked &asked,
                    const StudyAsked &typed, long n, const StudyTabs &tabs);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "study/study.h"
#include "studywindow/tableexport.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QLabel;
class QWidget;

namespace kvadrolab {

struct StudyTabs;

// What one press of "Исследовать" asked, as the fields held it then. The
// results shown answer it, and say so once the fields no longer do.
struct StudyAsked
{
    QString formula;
    QString a;
    QString b;
    QString tolerance;
    MethodChoice methods;

    // The same study: the same texts, spaces around them aside (the
    // readers take them so), and the same methods.
    friend bool operator==(const StudyAsked &x, const StudyAsked &y)
    {
        return x.formula.trimmed() == y.formula.trimmed() && x.a.trimmed() == y.a.trimmed() &&
               x.b.trimmed() == y.b.trimmed() && x.tolerance.trimmed() == y.tolerance.trimmed() &&
               x.methods == y.methods;
    }
};

// "f(x) = x*sin(x), [0; pi]": studySubject() of what was asked.
QString askedSubject(const StudyAsked &asked);

// The line over results that no longer answer the fields: «Показаны
// результаты для f(x) = x*sin(x), [0; pi], ε = 0,001; нажмите
// «Исследовать»», with «и прежних методов» after ε where the rules chosen
// differ from those studied.
QString staleText(const StudyAsked &shown, const StudyAsked &typed);

// A table's heading that names what the table is of (askedSubject()):
// "Методы при n = 4 — f(x) = x*sin(x), [0; pi]"; the title alone where the
// subject is empty.
QString subjectTitle(const QString &title, const QString &subject);

// What a saved table of a study says before the table: f whole, a, b and ε as
// typed, each also as the number the study took where the text typed is not
// that number as the CSV writes it ("b; pi; 3,141592653589793", "a; 0"); then
// n and the rule where the table shows one n or one rule. Its file name: studyFileStem() and the
// table's name, "x·sin(x) на [0; pi] — удвоение n".
TableHeading studyTableHeading(const StudyAsked &asked, const StudyInput &input,
                               const QString &table, std::optional<long> n = std::nullopt,
                               std::optional<RuleKind> rule = std::nullopt);

// The line that says results do not answer the fields, hidden until it does.
QLabel *createStaleNote(QWidget *parent);

// Marks the results as not answering the fields (`text` from staleText()),
// or, with an empty `text`, as answering them: the line shown or hidden, the
// tables, the charts and the integral faded, the tabs' accessible
// description set.
void markResults(const StudyTabs &tabs, QLabel *note, const QString &text);

} // namespace kvadrolab

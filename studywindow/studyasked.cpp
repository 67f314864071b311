// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studyasked.h"

#include "canvas/plotcanvas.h"
#include "studywindow/studytabs.h"
#include "studywindow/studytext.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

namespace kvadrolab {

namespace {

// How much of a faded result shows: enough to read, little enough that it
// does not pass for the answer to what the fields hold.
constexpr double kFadedOpacity = 0.35;

// A number's line: its text as typed, and the double the study took where
// a spreadsheet would not read that text as the number.
QStringList numberLine(const QString &name, const QString &typed, double value)
{
    const QString text = typed.trimmed();
    QStringList line{name, text};
    // The text as the CSV writes it, read back as a spreadsheet reads it:
    // digits with a decimal comma, or no number at all.
    static const QRegularExpression number(
        QStringLiteral("^[-+]?[0-9]+(,[0-9]+)?([eE][-+]?[0-9]+)?$"));
    QString written = spreadsheetText(text);
    bool read = number.match(written).hasMatch();
    read = read && written.replace(QLatin1Char(','), QLatin1Char('.')).toDouble() == value;
    if (!read)
        line << spreadsheetNumber(value);
    return line;
}

void fade(QWidget *w, bool faded)
{
    if (!faded) {
        w->setGraphicsEffect(nullptr);
        return;
    }
    if (w->graphicsEffect())
        return;
    auto *effect = new QGraphicsOpacityEffect(w);
    effect->setOpacity(kFadedOpacity);
    w->setGraphicsEffect(effect);
}

} // namespace

QString askedSubject(const StudyAsked &asked)
{
    return studySubject(asked.formula, asked.a, asked.b);
}

QString staleText(const StudyAsked &shown, const StudyAsked &typed)
{
    return QStringLiteral("Показаны результаты для %1, ε = %2%3; нажмите «Исследовать»")
        .arg(askedSubject(shown), shown.tolerance.simplified(),
             shown.methods == typed.methods ? QString() : QStringLiteral(" и прежних методов"));
}

QString subjectTitle(const QString &title, const QString &subject)
{
    return subject.isEmpty() ? title : title + QStringLiteral(" — ") + subject;
}

TableHeading studyTableHeading(const StudyAsked &asked, const StudyInput &input,
                               const QString &table, std::optional<long> n,
                               std::optional<RuleKind> rule)
{
    TableHeading heading;
    // f whole, as typed: the heading is what the file is of, and a file has
    // room for the longest f a student types.
    heading.lines << QStringList{QStringLiteral("f(x)"), asked.formula};
    heading.lines << numberLine(QStringLiteral("a"), asked.a, input.a);
    heading.lines << numberLine(QStringLiteral("b"), asked.b, input.b);
    heading.lines << numberLine(QStringLiteral("ε"), asked.tolerance, input.tolerance);
    if (n)
        heading.lines << QStringList{QStringLiteral("n"), QString::number(*n)};
    if (rule)
        heading.lines << QStringList{QStringLiteral("метод"), methodName(*rule)};
    heading.fileName =
        studyFileStem(asked.formula, asked.a, asked.b) + QStringLiteral(" — ") + table;
    return heading;
}

QLabel *createStaleNote(QWidget *parent)
{
    auto *note = new QLabel(parent);
    note->setObjectName(QStringLiteral("StaleNote"));
    note->setAccessibleName(QStringLiteral("Результаты не для введённых данных"));
    note->setWordWrap(true);
    note->setTextFormat(Qt::PlainText);
    note->setStyleSheet(QStringLiteral("QLabel { color: #8a4b00; font-weight: bold; }"));
    note->hide();
    return note;
}

void markResults(const StudyTabs &tabs, QLabel *note, const QString &text)
{
    const bool stale = !text.isEmpty();
    note->setText(text);
    note->setAccessibleDescription(text);
    note->setVisible(stale);
    tabs.widget->setAccessibleDescription(text);
    tabs.widget->tabBar()->setAccessibleDescription(text);
    for (QTableView *view : tabs.widget->findChildren<QTableView *>())
        fade(view, stale);
    for (PlotCanvas *canvas : tabs.widget->findChildren<PlotCanvas *>())
        fade(canvas, stale);
    fade(tabs.summary.integral, stale);
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studyasked.h"

#include "canvas/plotcanvas.h"
#include "studywindow/studytabs.h"
#include "studywindow/studytext.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

namespace kvadrolab {

namespace {

// How much a faded result is covered: it stays readable, but does not pass
// for the answer to what the fields hold.
constexpr double kVeilAlpha = 0.6;

// A number's line: its text as typed, and the double the study took where
// a spreadsheet would not read that text as the number.
QStringList numberLine(const QString &name, const QString &typed, double value)
{
    // The text goes as typed (the CSV reads no number in a heading's
    // fields): "0,001" is 0,001 to a Russian spreadsheet, and "pi" is a word.
    const QString text = typed.trimmed();
    QStringList line{name, text};
    if (text != spreadsheetNumber(value))
        line << spreadsheetNumber(value);
    return line;
}

// A pale sheet over a result that no longer answers the fields. It lets
// the clicks and the wheel through, so that the result can still be read,
// scrolled and copied; a child of what it covers, it shows and hides with it
// (a graphics effect would paint a hidden tab's chart over the shown one).
class Veil : public QWidget
{
public:
    explicit Veil(QWidget *over) : QWidget(over)
    {
        setObjectName(QStringLiteral("StaleVeil"));
        setAccessibleName(QStringLiteral("результаты не для введённых данных"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        over->installEventFilter(this);
        setGeometry(over->rect());
        raise();
        show();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        QColor pale = palette().color(QPalette::Base);
        pale.setAlphaF(kVeilAlpha);
        QPainter(this).fillRect(rect(), pale);
    }
};

void fade(QWidget *w, bool faded)
{
    QWidget *veil =
        w->findChild<QWidget *>(QStringLiteral("StaleVeil"), Qt::FindDirectChildrenOnly);
    if (faded && !veil)
        new Veil(w);
    if (!faded && veil)
        delete veil;
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
    // A screen reader reads a tab's description from its tooltip, which
    // also tells the mouse.
    for (int i = 0; i < tabs.widget->count(); ++i)
        tabs.widget->setTabToolTip(i, text);
    for (QTableView *view : tabs.widget->findChildren<QTableView *>())
        fade(view, stale);
    for (PlotCanvas *canvas : tabs.widget->findChildren<PlotCanvas *>())
        fade(canvas, stale);
    fade(tabs.summary.integral, stale);
    fade(tabs.picture.note, stale);
}

} // namespace kvadrolab

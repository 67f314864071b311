// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studywindow.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "expression/parser.h"
#include "forms/notifier.h"
#include "numbers/numbertext.h"
#include "studywindow/studyhelp.h"
#include "studywindow/studyinputs.h"
#include "studywindow/studypictures.h"
#include "studywindow/studyrunner.h"
#include "studywindow/studysheetparts.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytables.h"
#include "studywindow/studytext.h"
#include "studywindow/tableexport.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kvadrolab {

namespace {

// The window's first size: a school projector's 1280 x 720 screen, less the
// title bar and a task bar.
constexpr int kStartWidth = 1240;
constexpr int kStartHeight = 640;

} // namespace

StudyWindow::StudyWindow(QWidget *parent)
    : SecondaryWindow("Conv", "Исследование сходимости", parent), m_runner(new StudyRunner(this))
{
    auto *root = new QVBoxLayout(this);
    m_inputs = new StudyInputs(this);
    root->addWidget(m_inputs);
    m_staleNote = createStaleNote(this);
    root->addWidget(m_staleNote);
    connect(m_inputs, &StudyInputs::edited, this, &StudyWindow::checkShown);
    connect(m_inputs, &StudyInputs::studyAsked, this, &StudyWindow::study);
    connect(m_inputs, &StudyInputs::helpAsked, this, &StudyWindow::showHelp);
    connect(m_inputs, &StudyInputs::countChanged, this, &StudyWindow::showAtCount);
    connect(m_inputs, &StudyInputs::cancelAsked, this, [this] {
        m_runner->cancel();
        m_inputs->hideProgress();
        clearResults();
    });

    m_tabs = buildStudyTabs(this);
    m_pictures = std::make_unique<StudyPictures>(m_tabs);
    connect(m_tabs.picture.rule, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_chosenRule = static_cast<RuleKind>(m_tabs.picture.rule->itemData(index).toInt());
    });
    connect(m_tabs.picture.rule, &QComboBox::currentIndexChanged, this, &StudyWindow::showAtCount);
    // A saved table says what it is of, and is named so.
    for (QTableView *view : m_tabs.widget->findChildren<QTableView *>()) {
        const QString name = view->objectName();
        setTableHeading(view, [this, name] { return tableHeading(name); });
    }
    root->addWidget(m_tabs.widget, 1);

    auto *bottom = new QHBoxLayout;
    auto *save = new QPushButton(QStringLiteral("Сохранить отчёт…"), this);
    save->setObjectName(QStringLiteral("SaveSheet"));
    connect(save, &QPushButton::clicked, this, &StudyWindow::saveSheet);
    auto *toMain = new QPushButton(QStringLiteral("На главную"), this);
    toMain->setObjectName(QStringLiteral("toMain"));
    bottom->addWidget(save);
    bottom->addStretch(1);
    bottom->addWidget(toMain);
    root->addLayout(bottom);
    bindReturn(toMain);

    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &StudyWindow::showHelp);

    connect(m_runner, &StudyRunner::slow, m_inputs, &StudyInputs::showProgress);
    connect(m_runner, &StudyRunner::progress, m_inputs, &StudyInputs::setProgress);
    connect(m_runner, &StudyRunner::finished, this, &StudyWindow::finished);

    resize(kStartWidth, kStartHeight);
    for (PlotCanvas *c : {m_tabs.picture.canvas, m_tabs.errorChart, m_tabs.derivativeChart}) {
        c->installEventFilter(this);
        // A chart's captions are part of its picture: pasting gives the chart.
        attachCanvasMenu(c, &notify);
        setPictureOnly(c);
        setPictureName(c, c->accessibleName());
    }
    clearResults();
}

StudyWindow::~StudyWindow() = default;

bool StudyWindow::studying() const
{
    return m_runner->running();
}

std::optional<RuleKind> StudyWindow::pictureRule() const
{
    if (!m_study || m_tabs.picture.rule->currentIndex() < 0)
        return std::nullopt;
    return static_cast<RuleKind>(m_tabs.picture.rule->currentData().toInt());
}

void StudyWindow::study()
{
    // A study still under way answers inputs that are no longer there.
    m_runner->cancel();
    m_inputs->hideProgress();
    clearResults();
    const QString text = m_inputs->formula();
    const Result<Program> program = parseExpression(text.toStdString());
    const Result<ExactNumber> a = m_inputs->number(Input::A);
    const Result<ExactNumber> b = m_inputs->number(Input::B);
    // What the study is of: its answer, its refusal and its sheet say so,
    // whatever the fields hold by the time it ends.
    m_asked = {text, a ? a->value : 0, b ? b->value : 0};
    m_pressed = m_inputs->typed();
    const Result<ExactNumber> tolerance = m_inputs->number(Input::Tolerance);
    const auto fault = [&](const Refusal &why) {
        refuse(why);
        emit studied();
    };
    // A field's refusal names the field, and keeps the place of a typo.
    const auto fieldFault = [&](Input input, const Refusal &why) {
        Refusal at = why;
        at.input = input;
        fault(at);
    };
    if (!program)
        return fault(program.refusal());
    if (!a)
        return fieldFault(Input::A, a.refusal());
    if (!b)
        return fieldFault(Input::B, b.refusal());
    if (!tolerance)
        return fieldFault(Input::Tolerance, tolerance.refusal());
    const MethodChoice methods = m_inputs->chosenMethods();
    if (methods.composite.empty() && !methods.romberg && !methods.adaptive) {
        notify(this, QStringLiteral("Выберите хотя бы один метод."));
        m_inputs->methods()->setFocus();
        emit studied();
        return;
    }
    // The proofs and "n для ε" take the numbers typed; the rules sum, and
    // the window shows, their doubles.
    StudyInput input{*program, a->value, b->value, tolerance->value, methods};
    input.exactA = *a;
    input.exactB = *b;
    input.exactTolerance = *tolerance;
    m_runner->start(std::move(input));
}

void StudyWindow::refuse(const Refusal &why)
{
    if (why.reason == Reason::Cancelled)
        return;
    clearResults();
    // A number field's own text at fault (no place on the axis): the field
    // is named and its typo marked.
    const bool numberField = why.input && *why.input != Input::Integrand && !why.x;
    if (numberField && why.position) {
        notify(this, fieldRefusalText(why, m_inputs->field(*why.input)->text().trimmed()));
        m_inputs->pointAt(*why.input, why);
        return;
    }
    notify(this, studyRefusalText(why, m_asked.formula, m_asked.a, m_asked.b));
    // A typo in f puts the cursor where the reading stopped; anything else
    // selects the field at fault (f itself when the proof refused it).
    const bool typo = why.position && !why.x;
    if (typo) {
        m_inputs->pointAt(*why.position);
        return;
    }
    QLineEdit *at = m_inputs->field(why.input.value_or(Input::Integrand));
    at->setFocus();
    at->selectAll();
}

void StudyWindow::finished(std::shared_ptr<const Result<Study>> result)
{
    m_inputs->hideProgress();
    if (!*result) {
        refuse(result->refusal());
    } else {
        // The study lives as long as the answer it came in.
        m_study = SharedStudy(result, &result->value());
        m_shownAsked = m_pressed;
        showStudy();
        // The fields may have changed while it ran.
        checkShown();
    }
    emit studied();
}

void StudyWindow::clearResults()
{
    m_study.reset();
    m_shownAsked.reset();
    m_nodeTable.reset();
    markResults(m_tabs, m_staleNote, QString());
    nameHeadings();
    m_inputs->setCountMultiple(1);
    m_tabs.summary.integral->setText(QStringLiteral("Интеграл: нажмите «Исследовать»."));
    for (StudyTableModel *m : {m_tabs.summary.maxima, m_tabs.summary.atCount, m_tabs.summary.counts,
                               m_tabs.doubling.doubling, m_tabs.doubling.romberg,
                               m_tabs.doubling.adaptive, m_tabs.picture.nodes})
        m->clear();
    {
        const QSignalBlocker quiet(m_tabs.picture.rule);
        m_tabs.picture.rule->clear();
    }
    m_tabs.picture.note->clear();
    m_pictures->clear();
}

void StudyWindow::showStudy()
{
    const Study &s = *m_study;
    m_tabs.summary.integral->setText(
        QStringLiteral("Интеграл от %1 до %2 (доказан): %3; верные цифры: %4")
            .arg(shownDecimal(decimalText(s.input.a, 12, Rounding::Nearest)),
                 shownDecimal(decimalText(s.input.b, 12, Rounding::Nearest)),
                 integralText(s.integral), certainDigits(s.integral.lower, s.integral.upper)) +
        limitLines(s));
    fill(m_tabs.summary.maxima, maximaRows(m_study));
    nameHeadings();
    m_tabs.summary.countsTitle->setText(
        subjectTitle(QStringLiteral("n для ε = %1").arg(errorText(s.input.tolerance)),
                     askedSubject(*m_shownAsked)));
    fill(m_tabs.summary.counts, countsRows(m_study));
    fill(m_tabs.doubling.doubling, doublingRows(m_study));
    m_tabs.doubling.romberg->setColumns(rombergColumns(s));
    fill(m_tabs.doubling.romberg, rombergRows(m_study));
    fill(m_tabs.doubling.adaptive, adaptiveRows(m_study));

    {
        const QSignalBlocker quiet(m_tabs.picture.rule);
        for (RuleKind kind : s.input.methods.composite)
            m_tabs.picture.rule->addItem(methodName(kind), int(kind));
        // The rule chosen before stays while it is studied.
        const int chosen = m_chosenRule ? m_tabs.picture.rule->findData(int(*m_chosenRule)) : -1;
        m_tabs.picture.rule->setCurrentIndex(std::max(chosen, 0));
        if (const std::optional<RuleKind> kind = pictureRule())
            m_chosenRule = kind;
    }

    m_pictures->sample(s);
    // The charts' PNG names what was studied, whatever the fields hold now.
    m_pictures->setSubject(m_shownAsked->formula, m_shownAsked->a, m_shownAsked->b);
    // The charts first: they lay out the hidden tabs, the rule picture's too.
    drawCharts();
    showAtCount();
}

void StudyWindow::showAtCount()
{
    if (!m_study)
        return;
    const long n = m_inputs->count();
    const Study &s = *m_study;
    fill(m_tabs.summary.atCount, atCountRows(m_study, n));
    m_tabs.summary.atCountTitle->setText(subjectTitle(
        QStringLiteral("Методы при n = %1").arg(countText(n)), askedSubject(*m_shownAsked)));

    // The picture and the steps of the rule chosen for them.
    m_nodeTable.reset();
    m_tabs.picture.nodes->clear();
    const std::optional<RuleKind> kind = pictureRule();
    m_inputs->setCountMultiple(kind ? ruleInfo(*kind).countMultiple : 1);
    if (!kind)
        return;
    Result<RuleTable> table = ruleTable(*kind, s.input.program, s.input.a, s.input.b, n);
    QLabel *note = m_tabs.picture.note;
    if (!table) {
        note->setText(
            QStringLiteral("%1 не берёт n = %2: %3")
                .arg(methodName(*kind), countText(n), countRefusalText(*kind, table.refusal())));
        m_pictures->sayOnRulePicture(note->text());
        return;
    }
    note->setText(subjectTitle(QStringLiteral("%1, n = %2: I(n) = %3")
                                   .arg(methodName(*kind), countText(n), valueText(table->sum)),
                               askedSubject(*m_shownAsked)));
    m_nodeTable = std::make_shared<const RuleTable>(std::move(table).value());
    fill(m_tabs.picture.nodes, nodeRows(m_nodeTable));
    drawRulePicture();
}

void StudyWindow::checkShown()
{
    if (!m_study || !m_shownAsked) {
        markResults(m_tabs, m_staleNote, QString());
        return;
    }
    const StudyAsked typed = m_inputs->typed();
    markResults(m_tabs, m_staleNote,
                typed == *m_shownAsked ? QString() : staleText(*m_shownAsked, typed));
}

void StudyWindow::nameHeadings()
{
    nameStudyTables(m_tabs, m_shownAsked ? askedSubject(*m_shownAsked) : QString());
}

TableHeading StudyWindow::tableHeading(const QString &name) const
{
    if (!m_study || !m_shownAsked)
        return {};
    const StudyAsked &asked = *m_shownAsked;
    const StudyInput &input = m_study->input;
    const long n = m_inputs->count();
    // The names the files go under, by the tables' object names.
    if (name == QLatin1String("Maxima"))
        return studyTableHeading(asked, input, QStringLiteral("наибольшие производные"));
    if (name == QLatin1String("Counts"))
        return studyTableHeading(asked, input, QStringLiteral("n для ε"));
    if (name == QLatin1String("AtCount"))
        return studyTableHeading(asked, input, QStringLiteral("методы при n = %1").arg(n), n);
    if (name == QLatin1String("Doubling"))
        return studyTableHeading(asked, input, QStringLiteral("удвоение n"));
    if (name == QLatin1String("Romberg"))
        return studyTableHeading(asked, input, QStringLiteral("Ромберг"));
    if (name == QLatin1String("Adaptive"))
        return studyTableHeading(asked, input, QStringLiteral("адаптивный Симпсон"));
    if (name == QLatin1String("Nodes")) {
        const std::optional<RuleKind> kind = pictureRule();
        const QString rule = kind ? methodShortName(*kind) : QString();
        return studyTableHeading(asked, input, QStringLiteral("узлы, %1, n = %2").arg(rule).arg(n),
                                 n, kind);
    }
    return studyTableHeading(asked, input, name);
}

void StudyWindow::drawRulePicture()
{
    const std::optional<RuleKind> kind = pictureRule();
    if (!m_study || !kind || !m_nodeTable)
        return;
    m_pictures->drawRule(*m_study, *kind, m_inputs->count());
}

void StudyWindow::drawCharts()
{
    if (m_study)
        m_pictures->drawCharts(*m_study);
}

bool StudyWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The charts are drawn for their canvas's size: a resized window draws
    // them again, once the resizing settles.
    if (event->type() == QEvent::Resize && m_study && !m_redrawPending) {
        m_redrawPending = true;
        QTimer::singleShot(0, this, [this] {
            m_redrawPending = false;
            drawCharts();
            drawRulePicture();
        });
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void StudyWindow::saveSheet()
{
    saveStudySheet(this, m_study, m_shownAsked ? *m_shownAsked : m_inputs->typed(),
                   m_inputs->typed(), m_inputs->count(), m_tabs);
}

void StudyWindow::showHelp()
{
    if (!m_help)
        m_help = createStudyHelp(this);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studywindow.h"

#include "canvas/canvasmenu.h"
#include "canvas/plotcanvas.h"
#include "expression/parser.h"
#include "forms/notifier.h"
#include "forms/tableexport.h"
#include "numbers/numbertext.h"
#include "sheet/studysheet.h"
#include "studywindow/chartsamples.h"
#include "studywindow/derivativechart.h"
#include "studywindow/errorchart.h"
#include "studywindow/rulechart.h"
#include "studywindow/studyhelp.h"
#include "studywindow/studyinputs.h"
#include "studywindow/studyrunner.h"
#include "studywindow/studysheetparts.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytables.h"
#include "studywindow/studytext.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace kvadrolab {

namespace {

// The window's first size: a school projector's 1280 x 720 screen, less the
// title bar and a task bar.
constexpr int kStartWidth = 1240;
constexpr int kStartHeight = 640;

// A chart the canvas cannot hold says so in its place, rather than stay
// empty beside tables that are shown.
void notDrawn(PlotCanvas &canvas, const Refusal &why)
{
    canvas.clear();
    canvas.setScale(0, 0, 1, 1);
    canvas.setCurrentX(0.02);
    canvas.setCurrentY(0.02);
    const QString text =
        why.reason == Reason::TooManySegments
            ? QStringLiteral("Рисунок не построен: слишком много частей для изображения.")
            : QStringLiteral("Рисунок не построен: значения вне пределов изображения "
                             "(числа в таблицах верны).");
    canvas.printText(text);
    canvas.setAccessibleDescription(text);
}

void fill(StudyTableModel *model, TableRows rows)
{
    model->reset(rows.rows, std::move(rows.cell));
}

} // namespace

StudyWindow::StudyWindow(QWidget *parent)
    : SecondaryWindow("Conv", "Исследование сходимости", parent), m_runner(new StudyRunner(this))
{
    auto *root = new QVBoxLayout(this);
    m_inputs = new StudyInputs(this);
    root->addWidget(m_inputs);
    connect(m_inputs, &StudyInputs::studyAsked, this, &StudyWindow::study);
    connect(m_inputs, &StudyInputs::helpAsked, this, &StudyWindow::showHelp);
    connect(m_inputs, &StudyInputs::countChanged, this, &StudyWindow::showAtCount);
    connect(m_inputs, &StudyInputs::cancelAsked, this, [this] {
        m_runner->cancel();
        m_inputs->hideProgress();
        clearResults();
    });

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("Tabs"));
    // The tab bar takes the focus and is what a screen reader names.
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->tabBar()->setAccessibleName(QStringLiteral("Результаты исследования"));
    m_tabs->addTab(buildSummaryTab(), QStringLiteral("Итоги"));
    m_tabs->addTab(buildDoublingTab(), QStringLiteral("Удвоение n"));
    m_tabs->addTab(buildPictureTab(), QStringLiteral("Правило на графике и шаги"));
    m_tabs->addTab(buildChartTab(m_errorChart, "ErrorChart", QStringLiteral("погрешности")),
                   QStringLiteral("Погрешности"));
    m_tabs->addTab(
        buildChartTab(m_derivativeChart, "DerivativeChart", QStringLiteral("f и производные")),
        QStringLiteral("f и производные"));
    root->addWidget(m_tabs, 1);

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
    for (PlotCanvas *c : {m_rulePicture, m_errorChart, m_derivativeChart}) {
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

QTableView *StudyWindow::addTable(QWidget *parent, const char *name, const QString &accessibleName,
                                  StudyTableModel *model)
{
    auto *view = new QTableView(parent);
    view->setObjectName(QString::fromUtf8(name));
    view->setAccessibleName(accessibleName);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control; the arrows move inside it.
    view->setTabKeyNavigation(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setStretchLastSection(true);
    // Columns as wide as what they hold; a long table (the node table)
    // shares the width instead, since measuring would make every cell.
    connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
        constexpr int kMeasuredRows = 100;
        if (model->rowCount() <= kMeasuredRows) {
            view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
            view->resizeColumnsToContents();
        } else {
            view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        }
    });
    attachTableMenu(view, &notify);
    return view;
}

QWidget *StudyWindow::buildSummaryTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_integral = new QLabel(page);
    m_integral->setObjectName(QStringLiteral("Integral"));
    m_integral->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_integral->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(m_integral);

    m_maxima = new StudyTableModel(maximaColumns(), this);
    m_atCount = new StudyTableModel(atCountColumns(), this);
    m_counts = new StudyTableModel(countsColumns(), this);

    auto *maxima =
        addTable(page, "Maxima", QStringLiteral("Наибольшие производные на отрезке"), m_maxima);
    auto *atCount = addTable(page, "AtCount", QStringLiteral("Методы при текущем n"), m_atCount);
    auto *counts = addTable(
        page, "Counts", QStringLiteral("Число разбиений n для допустимой погрешности ε"), m_counts);
    auto *maximaTitle = new QLabel(QStringLiteral("Наибольшие производные (доказаны)"), page);
    auto *atCountTitle = new QLabel(QStringLiteral("Методы при текущем n"), page);
    atCountTitle->setObjectName(QStringLiteral("AtCountTitle"));
    auto *countsTitle = new QLabel(QStringLiteral("n для ε"), page);
    countsTitle->setObjectName(QStringLiteral("CountsTitle"));
    // The maxima and the counts side by side above the rules at n: each has
    // a row per rule or derivative, and all three fit a projector's screen.
    const auto titled = [](QLabel *title, QTableView *view) {
        auto *column = new QVBoxLayout;
        title->setBuddy(view);
        column->addWidget(title);
        column->addWidget(view, 1);
        return column;
    };
    auto *top = new QHBoxLayout;
    top->addLayout(titled(maximaTitle, maxima), 1);
    top->addLayout(titled(countsTitle, counts), 1);
    layout->addLayout(top, 1);
    layout->addLayout(titled(atCountTitle, atCount), 1);
    return page;
}

QWidget *StudyWindow::buildDoublingTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_doubling = new StudyTableModel(doublingColumns(), this);
    m_romberg = new StudyTableModel({}, this);
    m_adaptive = new StudyTableModel(adaptiveColumns(), this);
    auto *doubling =
        addTable(page, "Doubling", QStringLiteral("Сходимость при удвоении n"), m_doubling);
    auto *romberg = addTable(page, "Romberg", QStringLiteral("Таблица Ромберга"), m_romberg);
    auto *adaptive =
        addTable(page, "Adaptive", QStringLiteral("Адаптивный метод Симпсона"), m_adaptive);
    auto *doublingTitle = new QLabel(QStringLiteral("Сходимость при удвоении n"), page);
    auto *rombergTitle = new QLabel(QStringLiteral("Метод Ромберга: R(k, j)"), page);
    auto *adaptiveTitle = new QLabel(QStringLiteral("Адаптивный метод Симпсона"), page);
    layout->addWidget(doublingTitle);
    layout->addWidget(doubling, 3);
    layout->addWidget(rombergTitle);
    layout->addWidget(romberg, 2);
    layout->addWidget(adaptiveTitle);
    layout->addWidget(adaptive, 1);
    doublingTitle->setBuddy(doubling);
    rombergTitle->setBuddy(romberg);
    adaptiveTitle->setBuddy(adaptive);
    return page;
}

QWidget *StudyWindow::buildPictureTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *top = new QHBoxLayout;
    m_pictureRule = new QComboBox(page);
    m_pictureRule->setObjectName(QStringLiteral("PictureRule"));
    m_pictureRule->view()->setAccessibleName(QStringLiteral("Список методов"));
    m_pictureRule->setAccessibleName(QStringLiteral("Метод на рисунке и в таблице узлов"));
    auto *ruleLabel = new QLabel(QStringLiteral("&Метод:"), page);
    ruleLabel->setBuddy(m_pictureRule);
    m_pictureNote = new QLabel(page);
    m_pictureNote->setObjectName(QStringLiteral("PictureNote"));
    top->addWidget(ruleLabel);
    top->addWidget(m_pictureRule);
    top->addWidget(m_pictureNote, 1);
    layout->addLayout(top);
    connect(m_pictureRule, &QComboBox::currentIndexChanged, this, &StudyWindow::showAtCount);

    auto *split = new QSplitter(Qt::Horizontal, page);
    m_rulePicture = new PlotCanvas(split);
    m_rulePicture->setObjectName(QStringLiteral("RulePicture"));
    m_rulePicture->setAccessibleName(QStringLiteral("правило на графике f"));
    m_rulePicture->setBackColor(PlotCanvas::rgb(255, 255, 255));
    m_nodes = new StudyTableModel(nodeColumns(), this);
    auto *nodes = addTable(split, "Nodes", QStringLiteral("Таблица узлов: шаги метода"), m_nodes);
    split->addWidget(m_rulePicture);
    split->addWidget(nodes);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    return page;
}

QWidget *StudyWindow::buildChartTab(PlotCanvas *&canvas, const char *name, const QString &title)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    canvas = new PlotCanvas(page);
    canvas->setObjectName(QString::fromUtf8(name));
    canvas->setAccessibleName(title);
    canvas->setBackColor(PlotCanvas::rgb(255, 255, 255));
    layout->addWidget(canvas, 1);
    return page;
}

std::optional<RuleKind> StudyWindow::pictureRule() const
{
    if (!m_study || m_pictureRule->currentIndex() < 0)
        return std::nullopt;
    return static_cast<RuleKind>(m_pictureRule->currentData().toInt());
}

void StudyWindow::study()
{
    // A study still under way answers inputs that are no longer there.
    m_runner->cancel();
    m_inputs->hideProgress();
    clearResults();
    const QString text = m_inputs->formula();
    const Result<Program> program = parseExpression(text.toStdString());
    const Result<double> a = readNumberField(m_inputs->field(Input::A)->text());
    const Result<double> b = readNumberField(m_inputs->field(Input::B)->text());
    // What the study is of: its answer, its refusal and its sheet say so,
    // whatever the fields hold by the time it ends.
    m_asked = {text, a ? *a : 0, b ? *b : 0};
    const Result<double> tolerance = readNumberField(m_inputs->field(Input::Tolerance)->text());
    const auto fault = [&](const Refusal &why) {
        refuse(why);
        emit studied();
    };
    if (!program)
        return fault(program.refusal());
    if (!a)
        return fault(Refusal{Reason::NotANumber, Input::A});
    if (!b)
        return fault(Refusal{Reason::NotANumber, Input::B});
    if (!tolerance)
        return fault(Refusal{Reason::NotANumber, Input::Tolerance});
    const MethodChoice methods = m_inputs->chosenMethods();
    if (methods.composite.empty() && !methods.romberg && !methods.adaptive) {
        notify(this, QStringLiteral("Выберите хотя бы один метод."));
        m_inputs->methods()->setFocus();
        emit studied();
        return;
    }
    m_runner->start(StudyInput{*program, *a, *b, *tolerance, methods});
}

void StudyWindow::refuse(const Refusal &why)
{
    if (why.reason == Reason::Cancelled)
        return;
    clearResults();
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
        showStudy();
    }
    emit studied();
}

void StudyWindow::clearResults()
{
    m_study.reset();
    m_nodeTable.reset();
    m_fSamples.clear();
    for (auto &s : m_derivativeSamples)
        s.clear();
    m_integral->setText(QStringLiteral("Интеграл: нажмите «Исследовать»."));
    for (StudyTableModel *m :
         {m_maxima, m_atCount, m_counts, m_doubling, m_romberg, m_adaptive, m_nodes})
        m->clear();
    {
        const QSignalBlocker quiet(m_pictureRule);
        m_pictureRule->clear();
    }
    m_pictureNote->clear();
    for (PlotCanvas *c : {m_rulePicture, m_errorChart, m_derivativeChart}) {
        c->clear();
        c->setAccessibleDescription(QStringLiteral("ещё не построено"));
    }
}

void StudyWindow::showStudy()
{
    const Study &s = *m_study;
    m_integral->setText(QStringLiteral("Интеграл от %1 до %2 (доказан): %3; верные цифры: %4")
                            .arg(shownDecimal(decimalText(s.input.a, 12, Rounding::Nearest)),
                                 shownDecimal(decimalText(s.input.b, 12, Rounding::Nearest)),
                                 integralText(s.integral),
                                 certainDigits(s.integral.lower, s.integral.upper)));
    fill(m_maxima, maximaRows(m_study));
    findChild<QLabel *>(QStringLiteral("CountsTitle"))
        ->setText(QStringLiteral("n для ε = %1").arg(errorText(s.input.tolerance)));
    fill(m_counts, countsRows(m_study));
    fill(m_doubling, doublingRows(m_study));
    m_romberg->setColumns(rombergColumns(s));
    fill(m_romberg, rombergRows(m_study));
    fill(m_adaptive, adaptiveRows(m_study));

    {
        const QSignalBlocker quiet(m_pictureRule);
        for (RuleKind kind : s.input.methods.composite)
            m_pictureRule->addItem(methodName(kind), int(kind));
        m_pictureRule->setCurrentIndex(0);
    }

    // Dense samples of f and its derivatives, once per study.
    constexpr int kSamples = 400;
    m_fSamples = derivativeSamples(s.input.program, s.input.a, s.input.b, 0, kSamples);
    m_derivativeSamples[0] = derivativeSamples(s.input.program, s.input.a, s.input.b, 2, kSamples);
    m_derivativeSamples[1] = derivativeSamples(s.input.program, s.input.a, s.input.b, 4, kSamples);

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
    fill(m_atCount, atCountRows(m_study, n));
    findChild<QLabel *>(QStringLiteral("AtCountTitle"))
        ->setText(QStringLiteral("Методы при n = %1").arg(countText(n)));

    // The picture and the steps of the rule chosen for them.
    m_nodeTable.reset();
    m_nodes->clear();
    const std::optional<RuleKind> kind = pictureRule();
    if (!kind)
        return;
    Result<RuleTable> table = ruleTable(*kind, s.input.program, s.input.a, s.input.b, n);
    if (!table) {
        m_pictureNote->setText(
            QStringLiteral("%1 не берёт n = %2: %3")
                .arg(methodName(*kind), countText(n), countRefusalText(*kind, table.refusal())));
        m_rulePicture->clear();
        m_rulePicture->setScale(0, 0, 1, 1);
        m_rulePicture->setCurrentX(0.02);
        m_rulePicture->setCurrentY(0.02);
        m_rulePicture->printText(m_pictureNote->text());
        m_rulePicture->setAccessibleDescription(m_pictureNote->text());
        return;
    }
    m_pictureNote->setText(QStringLiteral("%1, n = %2: I(n) = %3")
                               .arg(methodName(*kind), countText(n), valueText(table->sum)));
    m_nodeTable = std::make_shared<const RuleTable>(std::move(table).value());
    fill(m_nodes, nodeRows(m_nodeTable));
    drawRulePicture();
}

void StudyWindow::drawRulePicture()
{
    const std::optional<RuleKind> kind = pictureRule();
    if (!m_study || !kind || !m_nodeTable)
        return;
    const Study &s = *m_study;
    const long n = m_inputs->count();
    const auto pieces = rulePieces(s.input.program, *kind, s.input.a, s.input.b, n);
    const Result<void> drawn =
        pieces ? drawRuleOnF(*m_rulePicture, *kind, n, *pieces, m_fSamples, s.input.a, s.input.b)
               : Result<void>(pieces.refusal());
    if (!drawn) {
        notDrawn(*m_rulePicture, drawn.refusal());
        return;
    }
    m_rulePicture->setAccessibleDescription(
        QStringLiteral("f и %1 при n = %2 на отрезке от %3 до %4")
            .arg(methodName(*kind), countText(n),
                 shownDecimal(decimalText(s.input.a, 8, Rounding::Nearest)),
                 shownDecimal(decimalText(s.input.b, 8, Rounding::Nearest))));
}

void StudyWindow::layOutPages()
{
    // A tab widget lays out only the page it shows; the charts of the others
    // are drawn (and handed in on the sheet) at the size they will be shown at.
    QWidget *shown = m_tabs->currentWidget();
    for (int i = 0; i < m_tabs->count(); ++i) {
        QWidget *page = m_tabs->widget(i);
        if (page == shown)
            continue;
        page->setGeometry(shown->geometry());
        page->layout()->setGeometry(page->rect());
        for (QSplitter *split : page->findChildren<QSplitter *>())
            split->refresh();
    }
}

void StudyWindow::drawCharts()
{
    if (!m_study)
        return;
    layOutPages();
    const Study &s = *m_study;
    std::vector<StudyRule> studied;
    for (const Result<StudyRule> &rule : s.rules)
        if (rule)
            studied.push_back(*rule);
    if (drawErrorCurves(*m_errorChart, studied))
        m_errorChart->setAccessibleDescription(
            QStringLiteral("|e(n)| и априорные оценки при n до %1, логарифмические шкалы; "
                           "числа — в таблице удвоения")
                .arg(countText(kStudyCurveLast)));
    else
        notDrawn(*m_errorChart, Refusal{Reason::BeyondSinglePrecision});

    const double lo = std::min(s.input.a, s.input.b), hi = std::max(s.input.a, s.input.b);
    const auto panel = [&](std::vector<Sample> samples, int order) {
        DerivativePanel p{std::move(samples), std::nullopt, QString()};
        if (order == 0)
            return p;
        const Result<DerivativeMax> &m = maximumOfOrder(s, order);
        if (m) {
            p.maximum = *m;
            p.note = QStringLiteral("M%1 ≤ %2 при %3")
                         .arg(order)
                         .arg(boundText(m->upper, Rounding::Up), placeOfMaximum(*m, lo, hi));
        } else {
            p.note = QStringLiteral("M%1 не доказана: %2")
                         .arg(order)
                         .arg(proofRefusalText(m.refusal(), lo, hi, order));
        }
        return p;
    };
    const DerivativePanel second = panel(m_derivativeSamples[0], 2);
    const DerivativePanel fourth = panel(m_derivativeSamples[1], 4);
    if (const Result<void> drawn =
            drawDerivatives(*m_derivativeChart, lo, hi, panel(m_fSamples, 0), second, fourth))
        m_derivativeChart->setAccessibleDescription(
            QStringLiteral("f, |f''| и |f''''| на отрезке; %1; %2").arg(second.note, fourth.note));
    else
        notDrawn(*m_derivativeChart, drawn.refusal());
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
    if (!m_study) {
        notify(this,
               QStringLiteral("Отчёт пишется по результатам: сначала нажмите «Исследовать»."));
        return;
    }
    saveAskingWhere(
        this, kSheetFile, QDir::home().filePath(QStringLiteral("Исследование сходимости.pdf")),
        QStringLiteral("отчёт"),
        [this](const QString &path) { return writeStudySheet(sheet(), path); }, &notify);
}

StudySheet StudyWindow::sheet() const
{
    const Study &s = *m_study;
    // Romberg's whole triangle is too wide for a page.
    StudyTableModel rombergColumns(rombergSheetColumns());
    fill(&rombergColumns, rombergSheetRows(m_study));
    StudySheetParts parts;
    parts.date = QLocale().toString(QDate::currentDate(), QLocale::LongFormat);
    parts.inputs = sheetInputs(s, m_asked.formula, m_inputs->count());
    parts.integral = sheetIntegral(s);
    parts.tables = {
        {QStringLiteral("Наибольшие производные (доказаны)"), m_maxima},
        {QStringLiteral("Методы при n = %1").arg(countText(m_inputs->count())), m_atCount},
        {QStringLiteral("n для ε = %1").arg(errorText(s.input.tolerance)), m_counts},
        {QStringLiteral("Сходимость при удвоении n"), m_doubling},
        {QStringLiteral("Метод Ромберга: первый и последний столбцы таблицы"), &rombergColumns},
        {QStringLiteral("Адаптивный метод Симпсона"), m_adaptive},
        {QStringLiteral("Шаги: %1").arg(m_pictureNote->text()), m_nodes}};
    parts.charts = {
        {m_rulePicture->accessibleDescription(), m_rulePicture->image()},
        {QStringLiteral("Фактические погрешности и априорные оценки"), m_errorChart->image()},
        {QStringLiteral("f, |f''| и |f''''|"), m_derivativeChart->image()}};
    return studySheetFromParts(parts);
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

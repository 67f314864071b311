// SPDX-License-Identifier: GPL-3.0-or-later
#include "studywindow/studytabs.h"

#include "canvas/plotcanvas.h"
#include "forms/notifier.h"
#include "studywindow/studyasked.h"
#include "studywindow/studytablemodel.h"
#include "studywindow/studytables.h"
#include "studywindow/tableexport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace kvadrolab {

namespace {

const QString &maximaHeading()
{
    static const QString text = QStringLiteral("Наибольшие производные (доказаны)");
    return text;
}
const QString &atCountHeading()
{
    static const QString text = QStringLiteral("Методы при текущем n");
    return text;
}
const QString &countsHeading()
{
    static const QString text = QStringLiteral("n для ε");
    return text;
}
const QString &doublingHeading()
{
    static const QString text = QStringLiteral("Сходимость при удвоении n");
    return text;
}
const QString &rombergHeading()
{
    static const QString text = QStringLiteral("Метод Ромберга: R(k, j)");
    return text;
}
const QString &adaptiveHeading()
{
    static const QString text = QStringLiteral("Адаптивный метод Симпсона");
    return text;
}

QTableView *addTable(QWidget *parent, const char *name, const QString &accessibleName,
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
    QObject::connect(model, &QAbstractItemModel::modelReset, view, [view, model] {
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

QWidget *buildSummaryTab(QObject *owner, StudyTabs::Summary &tab)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    tab.integral = new QLabel(page);
    tab.integral->setObjectName(QStringLiteral("Integral"));
    tab.integral->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    tab.integral->setFocusPolicy(Qt::StrongFocus);
    tab.integral->setToolTip(
        QStringLiteral("Верные цифры — знаки, общие для всех чисел доказанной границы "
                       "интеграла: истинное значение отличается от них меньше чем на единицу "
                       "последнего знака"));
    layout->addWidget(tab.integral);

    tab.maxima = new StudyTableModel(maximaColumns(), owner);
    tab.atCount = new StudyTableModel(atCountColumns(), owner);
    tab.counts = new StudyTableModel(countsColumns(), owner);

    auto *maxima =
        addTable(page, "Maxima", QStringLiteral("Наибольшие производные на отрезке"), tab.maxima);
    auto *atCount = addTable(page, "AtCount", QStringLiteral("Методы при текущем n"), tab.atCount);
    auto *counts =
        addTable(page, "Counts", QStringLiteral("Число разбиений n для допустимой погрешности ε"),
                 tab.counts);
    auto *maximaTitle = new QLabel(maximaHeading(), page);
    maximaTitle->setObjectName(QStringLiteral("MaximaTitle"));
    tab.maximaTitle = maximaTitle;
    tab.atCountTitle = new QLabel(atCountHeading(), page);
    tab.atCountTitle->setObjectName(QStringLiteral("AtCountTitle"));
    tab.countsTitle = new QLabel(countsHeading(), page);
    tab.countsTitle->setObjectName(QStringLiteral("CountsTitle"));
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
    top->addLayout(titled(tab.countsTitle, counts), 1);
    layout->addLayout(top, 1);
    layout->addLayout(titled(tab.atCountTitle, atCount), 1);
    return page;
}

QWidget *buildDoublingTab(QObject *owner, StudyTabs::Doubling &tab)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    tab.doubling = new StudyTableModel(doublingColumns(), owner);
    tab.romberg = new StudyTableModel({}, owner);
    tab.adaptive = new StudyTableModel(adaptiveColumns(), owner);
    auto *doubling =
        addTable(page, "Doubling", QStringLiteral("Сходимость при удвоении n"), tab.doubling);
    auto *romberg = addTable(page, "Romberg", QStringLiteral("Таблица Ромберга"), tab.romberg);
    auto *adaptive =
        addTable(page, "Adaptive", QStringLiteral("Адаптивный метод Симпсона"), tab.adaptive);
    auto *doublingTitle = new QLabel(doublingHeading(), page);
    auto *rombergTitle = new QLabel(rombergHeading(), page);
    auto *adaptiveTitle = new QLabel(adaptiveHeading(), page);
    doublingTitle->setObjectName(QStringLiteral("DoublingTitle"));
    rombergTitle->setObjectName(QStringLiteral("RombergTitle"));
    adaptiveTitle->setObjectName(QStringLiteral("AdaptiveTitle"));
    tab.doublingTitle = doublingTitle;
    tab.rombergTitle = rombergTitle;
    tab.adaptiveTitle = adaptiveTitle;
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

QWidget *buildPictureTab(QObject *owner, StudyTabs::Picture &tab)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *top = new QHBoxLayout;
    tab.rule = new QComboBox(page);
    tab.rule->setObjectName(QStringLiteral("PictureRule"));
    tab.rule->view()->setAccessibleName(QStringLiteral("Список методов"));
    tab.rule->setAccessibleName(QStringLiteral("Метод на рисунке и в таблице узлов"));
    auto *ruleLabel = new QLabel(QStringLiteral("&Метод:"), page);
    ruleLabel->setBuddy(tab.rule);
    tab.note = new QLabel(page);
    tab.note->setObjectName(QStringLiteral("PictureNote"));
    top->addWidget(ruleLabel);
    top->addWidget(tab.rule);
    top->addWidget(tab.note, 1);
    layout->addLayout(top);

    auto *split = new QSplitter(Qt::Horizontal, page);
    tab.canvas = new PlotCanvas(split);
    tab.canvas->setObjectName(QStringLiteral("RulePicture"));
    tab.canvas->setAccessibleName(QStringLiteral("правило на графике f"));
    tab.canvas->setBackColor(PlotCanvas::rgb(255, 255, 255));
    tab.nodes = new StudyTableModel(nodeColumns(), owner);
    auto *nodes = addTable(split, "Nodes", QStringLiteral("Таблица узлов: шаги метода"), tab.nodes);
    split->addWidget(tab.canvas);
    split->addWidget(nodes);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    layout->addWidget(split, 1);
    return page;
}

QWidget *buildChartTab(PlotCanvas *&canvas, const char *name, const QString &title)
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

} // namespace

StudyTabs buildStudyTabs(QWidget *window)
{
    StudyTabs built;
    built.widget = new QTabWidget(window);
    QTabWidget *tabs = built.widget;
    tabs->setObjectName(QStringLiteral("Tabs"));
    // The tab bar takes the focus and is what a screen reader names.
    tabs->setFocusPolicy(Qt::NoFocus);
    tabs->tabBar()->setAccessibleName(QStringLiteral("Результаты исследования"));
    tabs->addTab(buildSummaryTab(window, built.summary), QStringLiteral("Итоги"));
    tabs->addTab(buildDoublingTab(window, built.doubling), QStringLiteral("Удвоение n"));
    tabs->addTab(buildPictureTab(window, built.picture),
                 QStringLiteral("Правило на графике и шаги"));
    tabs->addTab(buildChartTab(built.errorChart, "ErrorChart", QStringLiteral("погрешности")),
                 QStringLiteral("Погрешности"));
    tabs->addTab(
        buildChartTab(built.derivativeChart, "DerivativeChart", QStringLiteral("f и производные")),
        QStringLiteral("f и производные"));
    return built;
}

void nameStudyTables(const StudyTabs &tabs, const QString &subject)
{
    tabs.summary.maximaTitle->setText(subjectTitle(maximaHeading(), subject));
    tabs.doubling.doublingTitle->setText(subjectTitle(doublingHeading(), subject));
    tabs.doubling.rombergTitle->setText(subjectTitle(rombergHeading(), subject));
    tabs.doubling.adaptiveTitle->setText(subjectTitle(adaptiveHeading(), subject));
    // The headings that follow n and ε the window writes for a study; with
    // none they go back to what they were.
    if (subject.isEmpty()) {
        tabs.summary.atCountTitle->setText(atCountHeading());
        tabs.summary.countsTitle->setText(countsHeading());
    }
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/secondarywindow.h"
#include "sheet/studysheet.h"
#include "study/study.h"
#include "studywindow/chartsamples.h"

#include <QPointer>

#include <array>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QVBoxLayout;

namespace kvadrolab {

class PlotCanvas;
class StudyInputs;
class StudyRunner;
class StudyTableModel;

// "Исследование сходимости": a student's own integral. Any f the language
// reads, on any [a;b]: the proven integral and M_k, every chosen rule at the
// current n with its error and a-priori bound, the doubling tables with
// Runge's estimate, the counts for ε, the rule drawn on f, the node table a
// student writes by hand, and sheets to hand in. Laid out with Qt layouts
// and resizable: it holds data a student works with.
class StudyWindow : public SecondaryWindow
{
    Q_OBJECT

public:
    explicit StudyWindow(QWidget *parent = nullptr);
    ~StudyWindow() override;

    // "Исследовать": reads the inputs and starts the study on its own thread.
    void study();
    // The finished study shown, if any.
    const Study *shownStudy() const { return m_study.get(); }
    // Whether a study is under way.
    bool studying() const;

signals:
    // A study finished, with its results shown or its refusal told.
    void studied();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSummaryTab();
    QWidget *buildDoublingTab();
    QWidget *buildPictureTab();
    QWidget *buildChartTab(PlotCanvas *&canvas, const char *name, const QString &title);
    QTableView *addTable(QWidget *parent, const char *name, const QString &accessibleName,
                         StudyTableModel *model);

    void finished(std::shared_ptr<const Result<Study>> result);
    void refuse(const Refusal &why);
    void clearResults();
    void showStudy();
    // Everything that follows the current n: the rules at n, the picture, the nodes.
    void showAtCount();
    void drawCharts();
    void layOutPages();
    void drawRulePicture();
    void showHelp();
    void saveSheet();
    // The study sheet of what the window shows.
    StudySheet sheet() const;

    std::optional<RuleKind> pictureRule() const;

    StudyInputs *m_inputs;
    QTabWidget *m_tabs;

    QLabel *m_integral;
    StudyTableModel *m_maxima;
    StudyTableModel *m_atCount;
    StudyTableModel *m_counts;
    StudyTableModel *m_doubling;
    StudyTableModel *m_romberg;
    StudyTableModel *m_adaptive;
    StudyTableModel *m_nodes;
    QComboBox *m_pictureRule;
    QLabel *m_pictureNote;
    PlotCanvas *m_rulePicture;
    PlotCanvas *m_errorChart;
    PlotCanvas *m_derivativeChart;

    StudyRunner *m_runner;
    std::shared_ptr<const Study> m_study;
    // The text of f and the ends of the last press, as typed then.
    struct Asked
    {
        QString formula;
        double a = 0;
        double b = 0;
    } m_asked;
    // What the current study's charts draw f and its derivatives from,
    // sampled once per study, not per step of n.
    std::vector<Sample> m_fSamples;
    std::array<std::vector<Sample>, 2> m_derivativeSamples;
    // The node table's rows, kept while the table and the picture show them.
    std::shared_ptr<const RuleTable> m_nodeTable;
    QPointer<QWidget> m_help;
    bool m_redrawPending = false;
};

} // namespace kvadrolab

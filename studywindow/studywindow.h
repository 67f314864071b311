// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/secondarywindow.h"
#include "study/study.h"
#include "studywindow/studysheetparts.h"
#include "studywindow/studytabs.h"

#include <QPointer>

#include <memory>
#include <optional>

namespace kvadrolab {

class StudyInputs;
class StudyPictures;
class StudyRunner;

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
    void finished(std::shared_ptr<const Result<Study>> result);
    void refuse(const Refusal &why);
    void clearResults();
    void showStudy();
    // Everything that follows the current n: the rules at n, the picture, the nodes.
    void showAtCount();
    void drawCharts();
    void drawRulePicture();
    void showHelp();
    void saveSheet();
    TypedInputs typedInputs() const;

    std::optional<RuleKind> pictureRule() const;

    StudyInputs *m_inputs;
    StudyTabs m_tabs;
    std::unique_ptr<StudyPictures> m_pictures;

    StudyRunner *m_runner;
    std::shared_ptr<const Study> m_study;
    // The text of f and the ends of the last press, as typed then.
    struct Asked
    {
        QString formula;
        double a = 0;
        double b = 0;
    } m_asked;
    // Every input of the last press as typed: what its sheet is of.
    TypedInputs m_typed;
    // The node table's rows, kept while the table and the picture show them.
    std::shared_ptr<const RuleTable> m_nodeTable;
    QPointer<QWidget> m_help;
    bool m_redrawPending = false;
};

} // namespace kvadrolab

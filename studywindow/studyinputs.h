// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"
#include "expression/constant.h"
#include "study/study.h"
#include "studywindow/chartsamples.h"
#include "studywindow/studyasked.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kvadrolab {

// What a student asks the study window: f(x) with its typo shown under it as
// it is typed, a, b, ε, n (a spin box and a slider), the rules to study,
// "Исследовать" (also Enter in any field), and the progress of a long study
// with "Отменить".
class StudyInputs : public QWidget
{
    Q_OBJECT

public:
    // The largest n of the spin box: the picture draws up to this many pieces.
    static constexpr long kCountLimit = kRuleDrawingLimit;

    explicit StudyInputs(QWidget *parent = nullptr);

    QString formula() const;
    // The field of a number input (A, B or Tolerance), or of f for any other.
    QLineEdit *field(Input input) const;
    long count() const;
    MethodChoice chosenMethods() const;
    // f, a, b, ε and the rules as they stand now.
    StudyAsked typed() const;
    // The step of n's arrows and slider: the multiple of n the drawn rule
    // takes (2 for Simpson's), so that no step lands on an n it refuses; n
    // typed by hand is taken as it is.
    void setCountMultiple(int multiple);
    // Where the focus goes when no method is chosen.
    QWidget *methods() const;

    // A refusal of f's text: the cursor at its place.
    void pointAt(std::size_t position);

    // The number in field A, B or Tolerance as typed: a number as the number
    // fields read it, or an expression without x (pi/2, 2pi, e, sqrt(2)),
    // kept exactly (expression/constant.h), with spaces around it allowed.
    // Refused as readExactNumber refuses, the position counted in the
    // field's text without those spaces.
    Result<ExactNumber> number(Input input) const;
    // A refusal of that field's text: the field selected, or for a typo the
    // character at its place.
    void pointAt(Input input, const Refusal &why);

    void showProgress();
    void setProgress(int done, int total);
    void hideProgress();

signals:
    void studyAsked();
    void cancelAsked();
    void helpAsked();
    void countChanged(long n);
    // f, a, b, ε or the rules chosen changed.
    void edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkFormula();
    // The slider at the multiple nearest n, n itself unchanged.
    void followCount(int n);

    QLineEdit *m_formula;
    QLabel *m_formulaError;
    QLineEdit *m_a;
    QLineEdit *m_b;
    QLineEdit *m_tolerance;
    QSpinBox *m_count;
    QSlider *m_countSlider;
    std::array<QCheckBox *, allRules.size()> m_ruleBoxes{};
    QCheckBox *m_rombergBox;
    QCheckBox *m_adaptiveBox;
    QWidget *m_methods;
    QProgressBar *m_progress;
    QLabel *m_progressLabel;
    QPushButton *m_cancel;
    QPushButton *m_run;
    int m_multiple = 1;
};

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "study/study.h"
#include "studywindow/chartsamples.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QTabWidget;

namespace kvadrolab {

class PlotCanvas;
struct StudyTabs;

// The study's pictures on the window's canvases: the rule on f at n, the
// errors against n, and f with |f''| and |f''''|. f and its derivatives are
// sampled once per study, not on every step of n or every resize.
class StudyPictures
{
public:
    // Draws on the canvases of `tabs`, which must outlive it.
    explicit StudyPictures(const StudyTabs &tabs);

    // Every canvas cleared and described as not built yet; the samples dropped.
    void clear();
    // Samples f, f'' and f'''' of a new study for every drawing of it that follows.
    void sample(const Study &study);
    // f, a and b of that study as typed: a chart's picture saved to a file is
    // titled with them (studySubject()) and named after them (studyFileStem()).
    void setSubject(const QString &formula, const QString &a, const QString &b);
    // The error and derivative charts of the study, at the size their tabs
    // are shown at: the hidden tabs are laid out first, the rule picture's too.
    void drawCharts(const Study &study);
    // The rule `kind` at n on f, or, when it cannot be drawn, why not in its place.
    void drawRule(const Study &study, RuleKind kind, long n);
    // The rule picture shows only `text`, and says it to a screen reader.
    void sayOnRulePicture(const QString &text);

private:
    QTabWidget *m_tabs;
    PlotCanvas *m_rulePicture;
    PlotCanvas *m_errorChart;
    PlotCanvas *m_derivativeChart;
    std::vector<Sample> m_fSamples;
    std::array<std::vector<Sample>, 2> m_derivativeSamples; // f'' and f''''
    QString m_subject;
    QStringList m_names; // the canvases' own names, in the order above
};

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace kvadrolab {

// The study window's short help: how f is written, the rules with their
// a-priori bounds, and what Runge's estimate and the observed order mean.
QString studyHelpHtml();

// A window of its own with that help, beside the study (F1 and "?").
QWidget *createStudyHelp(QWidget *parent);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "screens/charts.h"

#include <QString>

// What the chart windows tell the user: the message for a chart that was not
// drawn, and the one-line description a screen reader gives of each canvas.
namespace kvadrolab {

QString boundRefusal(Reason why);
QString stepRefusal(Reason why);

QString notDrawnYet();
QString notDrawn(Reason why);
// rule: "метода трапеций" or "метода Симпсона".
QString boundDescription(const QString &rule, double a, double b);
QString comparisonDescription(double a, double b);
QString graphDescription(double step, long long segments);

} // namespace kvadrolab

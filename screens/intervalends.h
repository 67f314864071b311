// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace kvadrolab::screens {

// The two ends of the interval that every window with fields a and b reads,
// and what it tells the user about them, so that every window says it alike.
enum class End { A, B };

// The end nearer to zero or below it: the one to move when a node reaches
// x <= 0 or f grows beyond every number.
End lowerEnd(double a, double b);

// "a" or "b".
QString endName(End end);

// The end's field holds no number.
QString endNotANumber(End end);

// Some node of the interval is not above 0; `end` is the one to move.
QString nodeNotPositive(End end);

} // namespace kvadrolab::screens

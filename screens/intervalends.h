// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <QString>

namespace kvadrolab {

// What every window with fields a and b tells the user about the ends of the
// interval, so that every window says it alike. `end` is Input::A or
// Input::B, as a refusal names it.

// "a" or "b".
QString endName(Input end);

// The end's field holds no number.
QString endNotANumberText(Input end);

// Some node of the interval is not above 0; `end` is the one to move.
QString nodeNotPositiveText(Input end);

} // namespace kvadrolab

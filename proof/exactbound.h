// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/constant.h"

#include <optional>

namespace kvadrolab {

// Whether the double `value` is <= the exact number, in the reals: decided
// exactly, in rationals, where the number is rational (decimals, doubles,
// and + - * / and whole powers of them: 1e-6 as 10^-6, 1/3), and in balls
// otherwise (pi/2), where a comparison the balls cannot settle is false.
// False for NaN and for a limit without a finite ball.
bool atMostExact(double value, const ExactNumber &limit);

// v p, where the exact number p is rational (as above) and positive and v p
// is a whole number (1/3 and v = 3 give 1); nothing otherwise.
std::optional<long> wholeMultiple(const ExactNumber &p, long v);

} // namespace kvadrolab

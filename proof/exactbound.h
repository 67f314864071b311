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

// The smallest multiple n of `step` (>= 1) with
// |b - a|^(k+1) M / (C n^k) <= eps in the reals, for the exact numbers a, b
// and eps > 0, a double M >= 0, C > 0 and k >= 1: a tie (the bound equal to
// eps) counts as met. Decided in rationals where a, b and eps are rational;
// otherwise in balls, and where even 4096 bits cannot tell two neighbouring
// counts apart, the larger, whose bound is proven <= eps. As a double,
// exact up to 2^53 and rounded beyond; nothing for a number without a
// finite ball, eps <= 0, or a count past every double. A fixed number of
// operations on whole numbers and balls: no search.
std::optional<double> smallestCountForBound(const ExactNumber &a, const ExactNumber &b, int k,
                                            double maximum, double divisor, long step,
                                            const ExactNumber &eps);

} // namespace kvadrolab

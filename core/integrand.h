// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kvadrolab {

// The integral the whole program studies: the value of the integral of f over
// [1;6] to ten decimals. It is a fixed constant and is not recomputed when the
// user changes the interval.
inline constexpr double kExactValue = 0.1804790225;

// f(x) = (ln x / x)^3, evaluated as L = ln x, q = L / x, q^3.
double f(double x);

// h = (b - a) / n.
double nodeStep(double a, double b, int n);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <optional>

namespace kvadrolab {

// The k-th derivative of f(x) = (ln x / x)^3 in closed form, k = 0..5, for
// x > 0. Every derivative has the shape P_k(ln x) / x^(k+3) with a cubic P_k,
// so the value is computed in long double from that cubic. An order outside
// 0..5 or an x that is not a finite positive number gives NaN.
long double integrandDerivative(int order, long double x);

// P_k itself: the cubic in L = ln x such that the k-th derivative of f is
// P_k(L) / x^(k+3). NaN for an order outside 0..5.
long double derivativeCubic(int order, long double L);

// Where |f^(k)| is largest on the closed interval between a and b, and how large.
struct DerivativeMaximum
{
    double value = 0; // max |f^(k)(x)|
    double at = 0;    // an x where it is reached (the leftmost, when there are several)
};

// max |f^(k)| over the interval between a and b (either order), k = 0..4.
// The candidates are the two ends and every root of f^(k+1) inside: those are
// the roots of the cubic P_(k+1) in ln x, bracketed between its turning points
// and refined by bisection, so no extremum is missed however long the
// interval. Refused with CountOutOfRange for an order outside 0..4,
// NonFiniteInput or NodeNotPositive for an end that is not a finite positive
// number, and NonFiniteResult (at the place of the maximum) when it does not
// fit in a double (a tiny a).
Result<DerivativeMaximum> derivativeMaximum(int order, double a, double b);

} // namespace kvadrolab

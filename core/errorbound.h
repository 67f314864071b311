// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <array>

namespace kvadrolab {

// The largest |f''| and |f^IV| that the classical bounds use. They are fixed:
// the charts' scales and captions are drawn for them, whatever a and b are.
inline constexpr double kM2 = 0.244;
inline constexpr double kM4 = 105.0;

// -(M2 (b - a)^3) / (12 n^2) with n subintervals: negative for b > a, a
// negative zero for a = b. Defined for every int n; n = 0 divides by zero.
double trapezoidBound(double a, double b, int subintervals);
// -(M4 (b - a)^5) / (180 (2n)^4) with n pairs of subintervals, 2n in all, as
// the Simpson error-bound window counts them. Defined for every int n.
double simpsonBoundOverPairs(double a, double b, int pairs);

// A chart's bound at the window's count: subintervals for the trapezoid rule,
// pairs of them for Simpson's.
using BoundFunction = double (*)(double a, double b, int count);

// One segment of a chart, already in the canvas's single precision.
struct Segment
{
    float x1, y1, x2, y2;
};

inline constexpr int kCurveFirstN = 10;
inline constexpr int kCurveLastN = 200;
inline constexpr int kCurveStepN = 10;
inline constexpr int kCurveSegments = (kCurveLastN - kCurveFirstN) / kCurveStepN + 1;
using Curve = std::array<Segment, kCurveSegments>;

// The segments (n, bound(n)) - (n + 10, bound(n + 10)) for n = 10, 20, ..., 200,
// in that order. Refused whole, before any segment is handed out, when a or b is
// not finite or a value does not fit in a float: no partial curve is ever drawn.
Result<Curve> boundCurve(BoundFunction bound, double a, double b);

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/result.h"

#include <array>
#include <span>

namespace kvadrolab {

// One window's table of samples: indexes 0..1000. A computation writes the
// slots it uses and leaves the rest as an earlier computation left them.
inline constexpr int kMaxSubintervals = 1000;
using SampleTable = std::array<double, kMaxSubintervals + 1>;

// The composite trapezoid rule over n subintervals of [a;b]. n arrives as the
// double typed into a field; it must be a whole number in 1..1000. Every node
// must be positive. On refusal the table is untouched; on success y[0..n]
// holds f at the nodes a + i*h.
Result<double> trapezoid(double a, double b, double n, SampleTable &y);

// Composite Simpson's rule, weights 1, 4, 2, 4, ..., 2, 4, 1 and factor h/3.
// Same conditions as trapezoid(), and n must be even.
Result<double> simpson(double a, double b, double n, SampleTable &y);

// The rules themselves, on samples y[0..n] of any function at n + 1 equally
// spaced nodes: h * (y1 + ... + y(n-1) + (y0 + yn) / 2), and
// (y0 + 4 y1 + 2 y2 + ... + 4 y(n-1) + yn) * (b - a) / (3n) for an even n.
double compositeTrapezoid(std::span<const double> y, double h);
double compositeSimpson(std::span<const double> y, double a, double b);

// I - exact value, signed.
double deviationTrapezoid(double I);
// |I - exact value|.
double deviationSimpson(double I);

} // namespace kvadrolab

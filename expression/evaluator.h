// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "expression/program.h"

#include <cstddef>

namespace kvadrolab {

// The program's value at x in double arithmetic with the C library's
// functions: a value to draw, not a bound. Where f is undefined the value is
// NaN (ln of a negative number, arcsin(2)) or infinite (1/0); nothing is
// refused. The program must come from parseExpression (or keep its rules:
// every step finds its operands, one value is left). At an x of
// program.limits the value is that limit.
double evaluate(const Program &program, double x);

// The same for n points: y[i] is bit for bit evaluate(program, x[i]). The
// steps run one at a time over blocks of points, so the cost of choosing a
// step is paid once per block rather than once per point. x and y may be the
// same array.
void evaluate(const Program &program, const double *x, double *y, std::size_t n);

} // namespace kvadrolab

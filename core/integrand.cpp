// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/integrand.h"

#include <cmath>

namespace kvadrolab {

double f(double x)
{
    const double L = std::log(x);
    const double q = L / x;
    // A product, not std::pow: g++ does not reduce pow(q, 3) to multiplications,
    // and the function graph evaluates f millions of times.
    return q * q * q;
}

double nodeStep(double a, double b, int n)
{
    return (b - a) / n;
}

} // namespace kvadrolab

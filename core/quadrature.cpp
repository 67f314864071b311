// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/quadrature.h"

#include "core/inputchecks.h"
#include "core/integrand.h"
#include "core/vectorstate.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab {

namespace {

struct Grid
{
    double a;
    double h;
    int n;
};

// Everything that can be said against the inputs before a sample is taken.
Result<Grid> checkInputs(double a, double b, double n)
{
    if (const auto checked = finite(a, b, n); !checked)
        return checked.refusal();
    if (n != std::floor(n))
        return Refusal{Reason::NotWhole, Input::Count};
    if (n < 1 || n > kMaxSubintervals)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    const int count = static_cast<int>(n);
    const double h = nodeStep(a, b, count);
    if (!std::isfinite(h))
        return overflowed(a, b);
    // The nodes a + i*h are monotone in i, so the smallest is the first or the last.
    if (std::min(a, a + count * h) <= 0.0)
        return nodeNotPositive(a, b);
    return Grid{a, h, count};
}

// Samples go to a scratch table first, so that a result that overflows leaves
// the window's table exactly as it was.
void sample(const Grid &g, SampleTable &scratch)
{
    // The window has just called Qt, which may leave the AVX upper halves
    // dirty; every SSE instruction of the loop would pay for it.
    clearUpperVectorState();
    for (int i = 0; i <= g.n; ++i)
        scratch[i] = f(g.a + i * g.h);
}

Result<double> commit(double I, const Grid &g, const SampleTable &scratch, SampleTable &y)
{
    if (!std::isfinite(I))
        return overflowed(g.a, g.a + g.n * g.h);
    std::copy_n(scratch.begin(), g.n + 1, y.begin());
    return I;
}

} // namespace

Result<double> trapezoid(double a, double b, double n, SampleTable &y)
{
    const auto grid = checkInputs(a, b, n);
    if (!grid)
        return grid.refusal();
    const Grid &g = grid.value();

    SampleTable s;
    sample(g, s);
    return commit(compositeTrapezoid(std::span(s).first(g.n + 1), g.h), g, s, y);
}

Result<double> simpson(double a, double b, double n, SampleTable &y)
{
    const auto grid = checkInputs(a, b, n);
    if (!grid)
        return grid.refusal();
    const Grid &g = grid.value();
    if (g.n % 2 != 0)
        return Refusal{Reason::OddCount, Input::Count};

    SampleTable s;
    sample(g, s);
    return commit(compositeSimpson(std::span(s).first(g.n + 1), a, b), g, s, y);
}

double compositeTrapezoid(std::span<const double> y, double h)
{
    const std::size_t n = y.size() - 1;
    double S = 0.0;
    for (std::size_t i = 1; i < n; ++i)
        S += y[i];
    S += (y[0] + y[n]) / 2;
    return h * S;
}

double compositeSimpson(std::span<const double> y, double a, double b)
{
    const std::size_t n = y.size() - 1;
    double odd = 0.0;
    double even = 0.0;
    for (std::size_t i = 1; i < n; i += 2)
        odd += y[i];
    for (std::size_t i = 2; i < n; i += 2)
        even += y[i];
    const double S = y[0] + 4 * odd + 2 * even + y[n];
    return S * (b - a) / (3.0 * static_cast<double>(n));
}

double deviationTrapezoid(double I)
{
    return I - kExactValue;
}

double deviationSimpson(double I)
{
    return std::fabs(I - kExactValue);
}

} // namespace kvadrolab

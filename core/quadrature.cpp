#include "quadrature.h"

#include "integrand.h"

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
Checked<Grid> checkInputs(double a, double b, double n)
{
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(n))
        return Checked<Grid>::refused(Refusal::NonFiniteInput);
    if (n != std::floor(n))
        return Checked<Grid>::refused(Refusal::NotWhole);
    if (n < 1 || n > kMaxSubintervals)
        return Checked<Grid>::refused(Refusal::CountOutOfRange);
    const int count = static_cast<int>(n);
    const double h = nodeStep(a, b, count);
    if (!std::isfinite(h))
        return Checked<Grid>::refused(Refusal::NonFiniteResult);
    // The nodes a + i*h are monotone in i, so the smallest is the first or the last.
    if (std::min(a, a + count * h) <= 0.0)
        return Checked<Grid>::refused(Refusal::NodeNotPositive);
    return Checked<Grid>{Grid{a, h, count}};
}

// Samples go to a scratch table first, so that a result that overflows leaves
// the window's table exactly as it was.
void sample(const Grid &g, SampleTable &scratch)
{
    for (int i = 0; i <= g.n; ++i)
        scratch[i] = f(g.a + i * g.h);
}

Checked<double> commit(double I, const Grid &g, const SampleTable &scratch, SampleTable &y)
{
    if (!std::isfinite(I))
        return Checked<double>::refused(Refusal::NonFiniteResult);
    std::copy_n(scratch.begin(), g.n + 1, y.begin());
    return Checked<double>{I};
}

} // namespace

Checked<double> trapezoid(double a, double b, double n, SampleTable &y)
{
    const auto grid = checkInputs(a, b, n);
    if (!grid.ok())
        return Checked<double>::refused(grid.refusal);
    const Grid &g = grid.value;

    SampleTable s;
    sample(g, s);
    double S = 0.0;
    for (int i = 1; i < g.n; ++i)
        S += s[i];
    S += (s[0] + s[g.n]) / 2;
    return commit(g.h * S, g, s, y);
}

Checked<double> simpson(double a, double b, double n, SampleTable &y)
{
    const auto grid = checkInputs(a, b, n);
    if (!grid.ok())
        return Checked<double>::refused(grid.refusal);
    const Grid &g = grid.value;
    if (g.n % 2 != 0)
        return Checked<double>::refused(Refusal::OddCountForSimpson);

    SampleTable s;
    sample(g, s);
    double odd = 0.0;
    double even = 0.0;
    for (int i = 1; i < g.n; i += 2)
        odd += s[i];
    for (int i = 2; i < g.n; i += 2)
        even += s[i];
    const double S = s[0] + 4 * odd + 2 * even + s[g.n];
    return commit(S * (b - a) / (3 * g.n), g, s, y);
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

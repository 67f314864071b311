// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/derivatives.h"

#include "core/inputchecks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace kvadrolab {

namespace {

constexpr int kMaxOrder = 5;

// Coefficients c0 + c1 L + c2 L^2 + c3 L^3.
using Cubic = std::array<long double, 4>;

// d/dx [P(L) x^-m] = (P'(L) - m P(L)) x^-(m+1): the degree never grows, and
// generating the cubics from f itself leaves no hand-expanded coefficient to
// mistype.
constexpr std::array<Cubic, kMaxOrder + 1> makeCubics()
{
    std::array<Cubic, kMaxOrder + 1> p{};
    p[0] = {0, 0, 0, 1};
    for (int k = 0; k < kMaxOrder; ++k) {
        const long double m = k + 3;
        const Cubic &c = p[k];
        p[k + 1] = {c[1] - m * c[0], 2 * c[2] - m * c[1], 3 * c[3] - m * c[2], -m * c[3]};
    }
    return p;
}

constexpr auto kCubics = makeCubics();

long double evaluate(const Cubic &c, long double L)
{
    return ((c[3] * L + c[2]) * L + c[1]) * L + c[0];
}

// The root of a cubic that is monotone on [lo;hi] and changes sign there.
long double bisect(const Cubic &c, long double lo, long double hi)
{
    const bool risingAtLo = evaluate(c, lo) < 0;
    for (int i = 0; i < 200; ++i) {
        const long double mid = lo + (hi - lo) / 2;
        if (mid <= lo || mid >= hi)
            break;
        if ((evaluate(c, mid) < 0) == risingAtLo)
            lo = mid;
        else
            hi = mid;
    }
    return lo + (hi - lo) / 2;
}

// The real roots of c inside [lo;hi], in increasing order: the cubic is split
// at its turning points into monotone pieces, each with at most one root.
std::vector<long double> rootsIn(const Cubic &c, long double lo, long double hi)
{
    std::vector<long double> cuts{lo};
    // Turning points: 3 c3 L^2 + 2 c2 L + c1 = 0.
    const long double qa = 3 * c[3], qb = 2 * c[2], qc = c[1];
    const long double disc = qb * qb - 4 * qa * qc;
    if (qa != 0 && disc > 0) {
        const long double s = std::sqrt(disc);
        // The form that avoids cancelling qb against s.
        const long double q = -(qb + std::copysign(s, qb)) / 2;
        long double t1 = q / qa, t2 = qc / q;
        if (t1 > t2)
            std::swap(t1, t2);
        for (long double t : {t1, t2})
            if (t > lo && t < hi)
                cuts.push_back(t);
    }
    cuts.push_back(hi);

    std::vector<long double> roots;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const long double l = cuts[i], r = cuts[i + 1];
        const long double vl = evaluate(c, l), vr = evaluate(c, r);
        if (vl == 0)
            roots.push_back(l);
        else if ((vl < 0) != (vr < 0) && vr != 0)
            roots.push_back(bisect(c, l, r));
    }
    return roots;
}

bool usable(double x)
{
    return std::isfinite(x) && x > 0;
}

} // namespace

long double derivativeCubic(int order, long double L)
{
    if (order < 0 || order > kMaxOrder)
        return std::numeric_limits<long double>::quiet_NaN();
    return evaluate(kCubics[order], L);
}

long double integrandDerivative(int order, long double x)
{
    if (order < 0 || order > kMaxOrder || !std::isfinite(x) || !(x > 0))
        return std::numeric_limits<long double>::quiet_NaN();
    // Any double x > 0 raised to the 8th power stays inside long double's range.
    long double power = x * x * x;
    for (int k = 0; k < order; ++k)
        power *= x;
    return evaluate(kCubics[order], std::log(x)) / power;
}

Result<DerivativeMaximum> derivativeMaximum(int order, double a, double b)
{
    if (order < 0 || order >= kMaxOrder)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    if (!usable(a) || !usable(b))
        return !std::isfinite(a) || !std::isfinite(b) ? finite(a, b).refusal() : nodeNotPositive(a, b);
    const double lo = std::min(a, b), hi = std::max(a, b);

    std::vector<long double> candidates{lo};
    for (long double L : rootsIn(kCubics[order + 1], std::log(static_cast<long double>(lo)),
                                 std::log(static_cast<long double>(hi))))
        candidates.push_back(std::clamp<long double>(std::exp(L), lo, hi));
    candidates.push_back(hi);

    DerivativeMaximum best{0, lo};
    long double bestValue = -1;
    for (long double x : candidates) {
        const long double v = std::fabs(integrandDerivative(order, x));
        if (v > bestValue) {
            bestValue = v;
            best.at = static_cast<double>(x);
        }
    }
    best.value = static_cast<double>(bestValue);
    if (!std::isfinite(best.value))
        return Refusal{Reason::NonFiniteResult, lowerEnd(a, b), {}, best.at};
    return best;
}

} // namespace kvadrolab

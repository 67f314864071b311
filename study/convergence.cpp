// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convergence.h"

#include "core/inputchecks.h"
#include "core/integrand.h"
#include "core/quadrature.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kvadrolab {

namespace {

// ---- The exact integral ----

// F(x) = -P(ln x) / (8 x^2); also the size of its terms, which tells how much
// a difference of two values of F cancels.
struct Antiderivative
{
    long double value;
    long double size;
};

Antiderivative antiderivative(double x)
{
    const long double X = x;
    const long double L = std::log(X);
    const long double d = 8 * X * X;
    const long double P = ((4 * L + 6) * L + 6) * L + 3;
    const long double l = std::fabs(L);
    const long double size = ((4 * l + 6) * l + 6) * l + 3;
    return {-P / d, size / d};
}

constexpr int kGaussPoints = 20;

struct GaussRule
{
    std::array<long double, kGaussPoints> node;
    std::array<long double, kGaussPoints> weight;
};

// Gauss-Legendre nodes and weights by Newton's method on the Legendre
// polynomial, in long double, so that no table of digits has to be trusted.
GaussRule makeGaussRule()
{
    GaussRule g{};
    const int n = kGaussPoints;
    for (int i = 0; i < n; ++i) {
        long double t = std::cos(std::numbers::pi_v<long double> * (i + 0.75L) / (n + 0.5L));
        long double dp = 1;
        for (int iter = 0; iter < 100; ++iter) {
            long double p0 = 1, p1 = t;
            for (int k = 2; k <= n; ++k) {
                const long double p2 = ((2 * k - 1) * t * p1 - (k - 1) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            dp = n * (t * p1 - p0) / (t * t - 1);
            const long double step = p1 / dp;
            t -= step;
            if (std::fabs(step) <= 4 * std::numeric_limits<long double>::epsilon() * std::fabs(t))
                break;
        }
        g.node[i] = t;
        g.weight[i] = 2 / ((1 - t * t) * dp * dp);
    }
    return g;
}

// The integral of f over [lo;hi], lo < hi, in long double. Each panel spans
// at most a factor 1.5 in x, so f's singularity at 0 stays far outside the
// ellipse where 20 Gauss points converge (an error near 1e-40 per panel). ln x
// is taken as ln lo + ln(1 + (x - lo)/lo), so that beside x = 1, where ln x
// and f vanish, the small offsets keep their relative precision.
long double gaussIntegral(double lo, double hi)
{
    static const GaussRule g = makeGaussRule();
    const long double Lo = lo, Hi = hi;
    const long double logLo = std::log(Lo);
    const long double span = std::log(Hi) - logLo;
    // span is at most ln(DBL_MAX / DBL_TRUE_MIN) = 1454, so at most 3587 panels.
    const int panels = std::max(1, static_cast<int>(std::ceil(span / std::log(1.5L))));

    long double sum = 0;
    long double left = 0; // offset of the panel's left end from lo
    for (int p = 1; p <= panels; ++p) {
        const long double right = p == panels ? Hi - Lo : Lo * std::expm1(span * p / panels);
        const long double half = (right - left) / 2;
        const long double mid = left + half;
        long double panel = 0;
        for (int i = 0; i < kGaussPoints; ++i) {
            const long double u = mid + half * g.node[i];
            const long double x = Lo + u;
            const long double q = (logLo + std::log1p(u / Lo)) / x;
            panel += g.weight[i] * (q * q * q);
        }
        sum += panel * half;
        left = right;
    }
    return sum;
}

// ---- The study ----

bool finite(const std::optional<double> &v)
{
    return !v || std::isfinite(*v);
}

// Every I_n the study needs, by the program's own rules: trapezoid n = 2..1000
// (n = 5 serves the table's first Runge estimate), Simpson's even n.
bool ruleValues(Rule rule, double a, double b, std::array<double, kCurveLastCount + 1> &I)
{
    SampleTable y;
    const int step = rule == Rule::Trapezoid ? 1 : 2;
    for (int n = kCurveFirstCount; n <= kCurveLastCount; n += step) {
        const Result<double> v =
            rule == Rule::Trapezoid ? trapezoid(a, b, n, y) : simpson(a, b, n, y);
        if (!v.ok())
            return false;
        I[n] = v.value();
    }
    return true;
}

bool buildRuleStudy(Rule rule, const ConvergenceStudy &s, RuleStudy &out)
{
    std::array<double, kCurveLastCount + 1> I{};
    if (!ruleValues(rule, s.a, s.b, I))
        return false;
    // The error in long double: I_n is exact as a double, so the only rounding
    // left is the final one, and the curve can go down to the true floor.
    const auto error = [&](int n) { return static_cast<double>(I[n] - s.exact); };
    const double divisor = rule == Rule::Trapezoid ? 3 : 15;
    const double M = rule == Rule::Trapezoid ? s.m2.value : s.m4.value;

    for (std::size_t r = 0; r < kStudyCounts.size(); ++r) {
        StudyRow &row = out.table[r];
        const int n = kStudyCounts[r];
        row.n = n;
        row.value = I[n];
        row.error = error(n);
        const int half = n / 2;
        if (rule == Rule::Simpson && half % 2 != 0)
            continue;
        row.runge = (I[half] - I[n]) / divisor;
        row.richardson = I[n] - *row.runge;
        const double eHalf = error(half);
        if (eHalf != 0 && row.error != 0)
            row.order = std::log2(std::fabs(eHalf) / std::fabs(row.error));
        if (!std::isfinite(row.value) || !std::isfinite(row.error) || !finite(row.runge) ||
            !finite(row.richardson) || !finite(row.order))
            return false;
    }

    out.curve.clear();
    const int step = rule == Rule::Trapezoid ? 1 : 2;
    for (int n = kCurveFirstCount; n <= kCurveLastCount; n += step) {
        ErrorPoint p;
        p.n = n;
        const double e = error(n);
        if (e != 0)
            p.absError = std::fabs(e);
        p.bound = aPrioriBoundOverSubintervals(rule, s.a, s.b, M, n);
        if (!std::isfinite(e) || !std::isfinite(p.bound))
            return false;
        out.curve.push_back(p);
    }
    return true;
}

// The walks from the estimate below take a step or two when the logarithms
// are a few ulps off. Far more means the bound in double has parted from its
// formula (a tolerance among the denormals, where rounding is coarse), and
// bisection finishes in at most 50 more evaluations below kBoundCountLimit.
constexpr int kWalkSteps = 1000;

double smallestCountByBound(Rule rule, const ConvergenceStudy &s, double tolerance)
{
    const bool trapezoidRule = rule == Rule::Trapezoid;
    const double M = trapezoidRule ? s.m2.value : s.m4.value;
    const int step = trapezoidRule ? 1 : 2;
    const double least = trapezoidRule ? 1 : 2;
    const auto fits = [&](double n) {
        return aPrioriBoundOverSubintervals(rule, s.a, s.b, M, n) <= tolerance;
    };
    if (M == 0 || fits(least))
        return least;

    // bound(n) = C / n^p; solved in logarithms, since C alone can overflow.
    const long double p = trapezoidRule ? 2 : 4;
    const long double logC = (p + 1) * std::log(static_cast<long double>(std::fabs(s.b - s.a))) +
                             std::log(static_cast<long double>(M)) -
                             std::log(trapezoidRule ? 12.0L : 180.0L);
    const long double estimate =
        std::exp((logC - std::log(static_cast<long double>(tolerance))) / p);
    // Whether the count lies beyond the limit is the bound's own word there,
    // not the estimate's, which can be off by a few ulps either way.
    if (!fits(kBoundCountLimit))
        return std::max(kBoundCountLimit + step, static_cast<double>(estimate));

    // From here !fits(least) and fits(kBoundCountLimit), an even number and so
    // a count of both rules: every n searched lies between the two, where each
    // whole number is a double and n +- step always moves.
    const auto bisect = [&](double lo, double hi) {
        // !fits(lo), fits(hi); about log2(1e15) = 50 halvings at most.
        while (hi - lo > step) {
            const double mid = lo + step * std::floor((hi - lo) / (2 * step));
            (fits(mid) ? hi : lo) = mid;
        }
        return hi;
    };
    double n = std::min(std::max<double>(least, std::ceil(static_cast<double>(estimate))),
                        kBoundCountLimit);
    if (!trapezoidRule && std::fmod(n, 2) != 0)
        n += 1;
    // The logarithms may be a few ulps off; the bound itself decides.
    int walked = 0;
    while (n - step >= least && fits(n - step)) {
        n -= step;
        if (++walked == kWalkSteps)
            return bisect(least, n);
    }
    walked = 0;
    while (!fits(n)) {
        if (++walked == kWalkSteps)
            return bisect(n, kBoundCountLimit);
        n += step;
    }
    return n;
}

} // namespace

Result<void> checkInterval(double a, double b)
{
    if (const auto checked = finite(a, b); !checked)
        return checked;
    if (a <= 0 || b <= 0)
        return nodeNotPositive(a, b);
    if (a == b)
        return Refusal{Reason::EmptyInterval, Input::B};
    return {};
}

Result<long double> exactIntegral(double a, double b)
{
    if (const auto checked = checkInterval(a, b); !checked)
        return checked.refusal();

    const Antiderivative Fa = antiderivative(a), Fb = antiderivative(b);
    long double value = Fb.value - Fa.value;
    // Three digits of long double's nineteen may go; beyond that the sum over
    // the interval itself is the accurate one.
    if (!(std::fabs(value) * 1000 >= Fa.size + Fb.size)) {
        const long double forward = gaussIntegral(std::min(a, b), std::max(a, b));
        value = a < b ? forward : -forward;
    }
    if (!std::isfinite(static_cast<double>(value)))
        return overflowed(a, b);
    return value;
}

double aPrioriBoundOverSubintervals(Rule rule, double a, double b, double M, double subintervals)
{
    const double d = std::fabs(b - a);
    const double h = d / subintervals;
    if (rule == Rule::Trapezoid)
        return d * h * h * M / 12;
    return d * (h * h) * (h * h) * M / 180;
}

Result<ConvergenceStudy> studyConvergence(double a, double b, double tolerance)
{
    if (const auto checked = checkInterval(a, b); !checked)
        return checked.refusal();
    if (const auto checked = finite(a, b, tolerance, Input::Tolerance); !checked)
        return checked.refusal();
    if (!(tolerance > 0))
        return Refusal{Reason::ToleranceNotPositive, Input::Tolerance};

    ConvergenceStudy s;
    s.a = a;
    s.b = b;
    s.tolerance = tolerance;
    const auto exact = exactIntegral(a, b);
    if (!exact)
        return exact.refusal();
    s.exact = exact.value();
    const auto m2 = derivativeMaximum(2, a, b);
    const auto m4 = derivativeMaximum(4, a, b);
    if (!m2 || !m4)
        return overflowed(a, b);
    s.m2 = *m2;
    s.m4 = *m4;
    if (!buildRuleStudy(Rule::Trapezoid, s, s.trapezoid) ||
        !buildRuleStudy(Rule::Simpson, s, s.simpson))
        return overflowed(a, b);
    s.trapezoid.counts = toleranceCounts(Rule::Trapezoid, s, tolerance);
    s.simpson.counts = toleranceCounts(Rule::Simpson, s, tolerance);
    return s;
}

ToleranceCounts toleranceCounts(Rule rule, const ConvergenceStudy &study, double tolerance)
{
    ToleranceCounts c;
    if (!(tolerance > 0)) {
        c.byBound = std::numeric_limits<double>::infinity();
        return c;
    }
    const RuleStudy &r = rule == Rule::Trapezoid ? study.trapezoid : study.simpson;
    c.byBound = smallestCountByBound(rule, study, tolerance);

    for (const StudyRow &row : r.table) {
        if (row.runge && std::fabs(*row.runge) <= tolerance) {
            c.byRunge = row.n;
            break;
        }
    }

    // Walk down from n = 1000 while the error stays within the tolerance.
    for (auto it = r.curve.rbegin(); it != r.curve.rend(); ++it) {
        if (it->absError.value_or(0.0) > tolerance)
            break;
        c.byActualError = it->n;
    }
    return c;
}

double RulePicture::simpsonArc(int pair, double at) const
{
    if (pair < 0 || 2 * pair + 2 >= static_cast<int>(x.size()))
        return std::numeric_limits<double>::quiet_NaN();
    const int i = 2 * pair;
    const double h = (x[i + 2] - x[i]) / 2;
    const double s = (at - x[i + 1]) / h;
    const double y0 = y[i], y1 = y[i + 1], y2 = y[i + 2];
    // The parabola in the local coordinate s = -1, 0, 1 at the three nodes.
    return y1 + s * (y2 - y0) / 2 + s * s * (y0 - 2 * y1 + y2) / 2;
}

Result<RulePicture> rulePicture(double a, double b, double n)
{
    if (const auto checked = checkInterval(a, b); !checked)
        return checked.refusal();
    if (const auto checked = finite(a, b, n); !checked)
        return checked.refusal();
    if (n != std::floor(n))
        return Refusal{Reason::NotWhole, Input::Count};
    if (n < kPictureMinCount || n > kPictureMaxCount)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    const int count = static_cast<int>(n);
    if (count % 2 != 0)
        return Refusal{Reason::OddCount, Input::Count};

    RulePicture p;
    p.a = a;
    p.b = b;
    p.n = count;
    const double h = nodeStep(a, b, count);
    for (int i = 0; i <= count; ++i) {
        const double x = a + i * h;
        const double y = f(x);
        if (!std::isfinite(y))
            return Refusal{Reason::NonFiniteResult, lowerEnd(a, b), {}, x};
        p.x.push_back(x);
        p.y.push_back(y);
    }
    return p;
}

} // namespace kvadrolab

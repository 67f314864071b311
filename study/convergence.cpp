// SPDX-License-Identifier: GPL-3.0-or-later
#include "study/convergence.h"

#include "core/inputchecks.h"
#include "core/integrand.h"
#include "core/quadrature.h"
#include "expression/parser.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kvadrolab {

namespace {

// The study's integrand as the engine reads it: the same f as core/'s
// compiled one, proven on balls rather than computed in doubles.
const Program &studiedProgram()
{
    static const Program program = parseExpression("(ln(x)/x)^3").value();
    return program;
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
    // The error against the proven integral's midpoint, taken in long double:
    // I_n is exact as a double, so the only roundings left are the final one
    // and the midpoint's distance from the truth (within its radius, a few
    // ulps), and the curve can go down to the true floor.
    const auto error = [&](int n) {
        return static_cast<double>(static_cast<long double>(I[n]) -
                                   static_cast<long double>(s.integral.mid) -
                                   static_cast<long double>(s.integral.midTail));
    };
    const double divisor = rule == Rule::Trapezoid ? 3 : 15;
    const double M = rule == Rule::Trapezoid ? s.m2.upper : s.m4.upper;

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
    const double M = trapezoidRule ? s.m2.upper : s.m4.upper;
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

Result<Enclosure> provenIntegral(double a, double b)
{
    if (const auto checked = checkInterval(a, b); !checked)
        return checked.refusal();
    const bool reversed = b < a;
    Result<Enclosure> forward = certifiedIntegral(studiedProgram(), std::min(a, b), std::max(a, b));
    if (!forward)
        return forward.refusal();
    if (!reversed)
        return forward;
    Enclosure e = *forward;
    e.mid = -forward->mid;
    e.midTail = -forward->midTail;
    e.lower = -forward->upper;
    e.upper = -forward->lower;
    return e;
}

Result<DerivativeMax> provenDerivativeMax(int order, double a, double b)
{
    if (const auto checked = checkInterval(a, b); !checked)
        return checked.refusal();
    // The window shows twelve digits of M and counts n from it: a gap of
    // about 1e-12 costs a millisecond or two here.
    constexpr double relativeGap = 0x1p-40;
    Result<DerivativeMax> m =
        proveDerivativeMax(studiedProgram(), std::min(a, b), std::max(a, b), order, relativeGap);
    // The bounds hold, but one beyond double helps no bound in double.
    if (m && !std::isfinite(m->upper))
        return Refusal{Reason::NonFiniteResult, lowerEnd(a, b), {}, m->at};
    return m;
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
    // A value beyond double (f near 0) is the study's one overflow, named
    // by the lower end as every other; what could not be proven says so.
    const auto refused = [&](const Refusal &why) {
        return why.reason == Reason::NonFiniteResult ? overflowed(a, b)
                                                     : Refusal{why.reason, lowerEnd(a, b)};
    };
    const auto integral = provenIntegral(a, b);
    if (!integral)
        return refused(integral.refusal());
    s.integral = *integral;
    const auto m2 = provenDerivativeMax(2, a, b);
    if (!m2)
        return refused(m2.refusal());
    const auto m4 = provenDerivativeMax(4, a, b);
    if (!m4)
        return refused(m4.refusal());
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/extrapolated.h"

#include "expression/evaluator.h"
#include "rules/compositerule.h"

#include <algorithm>
#include <cmath>

namespace kvadrolab {

Result<RombergTable> romberg(const Program &program, double a, double b, int rows)
{
    if (rows < 1 || rows > rombergRowLimit)
        return Refusal{Reason::CountOutOfRange, Input::Count};
    if (auto ends = checkRuleInterval(a, b); !ends)
        return ends.refusal();
    const auto steps = static_cast<long long>(std::max<std::size_t>(program.steps.size(), 1));
    if (((1LL << (rows - 1)) + 1) * steps > ruleWorkLimit)
        return Refusal{Reason::WorkLimit};
    RombergTable t;
    const double fa = evaluate(program, a), fb = evaluate(program, b);
    if (!std::isfinite(fa))
        return Refusal{Reason::NonFiniteResult, {}, {}, a};
    if (!std::isfinite(fb))
        return Refusal{Reason::NonFiniteResult, {}, {}, b};
    t.evaluations = 2;
    t.rows.push_back({(b - a) * (fa + fb) / 2});
    for (int i = 1; i < rows; ++i) {
        // The trapezoid rule on 2^i pieces reuses the previous row's values:
        // only the new midpoints are evaluated.
        const long pieces = 1L << i;
        const double h = (b - a) / static_cast<double>(pieces);
        double midpoints = 0;
        for (long k = 1; k < pieces; k += 2) {
            const double x = a + (b - a) * (static_cast<double>(k) / static_cast<double>(pieces));
            const double y = evaluate(program, x);
            if (!std::isfinite(y))
                return Refusal{Reason::NonFiniteResult, {}, {}, x};
            midpoints += y;
        }
        t.evaluations += pieces / 2;
        std::vector<double> row{t.rows.back().front() / 2 + h * midpoints};
        double power = 1;
        for (int j = 1; j <= i; ++j) {
            power *= 4;
            const double above = t.rows.back()[static_cast<std::size_t>(j - 1)];
            row.push_back(row.back() + (row.back() - above) / (power - 1));
        }
        for (const double v : row)
            if (!std::isfinite(v))
                return Refusal{Reason::NonFiniteResult};
        t.rows.push_back(std::move(row));
    }
    return t;
}

Result<AdaptiveSimpson> adaptiveSimpson(const Program &program, double a, double b, double eps)
{
    if (!std::isfinite(eps))
        return Refusal{Reason::NonFiniteInput, Input::Tolerance};
    if (!(eps > 0))
        return Refusal{Reason::ToleranceNotPositive, Input::Tolerance};
    if (auto ends = checkRuleInterval(a, b); !ends)
        return ends.refusal();

    const auto steps = static_cast<long long>(std::max<std::size_t>(program.steps.size(), 1));
    AdaptiveSimpson result;
    Refusal fault{Reason::NonFiniteResult};
    bool failed = false;
    const auto f = [&](double x) {
        const double y = evaluate(program, x);
        ++result.evaluations;
        if (!std::isfinite(y) && !failed) {
            failed = true;
            fault.x = x;
        }
        return y;
    };
    // A piece with its ends' and middle's values, its Simpson sum, its
    // share of eps and its depth; an explicit stack, so that no recursion
    // grows with the depth.
    struct Piece
    {
        double lo, hi, flo, fmid, fhi, whole, eps;
        int depth;
    };
    const double fm = f(a + (b - a) / 2);
    const double fa = f(a), fb = f(b);
    std::vector<Piece> work{{a, b, fa, fm, fb, (b - a) / 6 * (fa + 4 * fm + fb), eps, 0}};
    while (!work.empty()) {
        if (failed)
            return fault;
        const Piece p = work.back();
        work.pop_back();
        const double mid = p.lo + (p.hi - p.lo) / 2;
        const double fl = f(p.lo + (mid - p.lo) / 2), fr = f(mid + (p.hi - mid) / 2);
        if (failed)
            return fault;
        const double left = (mid - p.lo) / 6 * (p.flo + 4 * fl + p.fmid);
        const double right = (p.hi - mid) / 6 * (p.fmid + 4 * fr + p.fhi);
        const double difference = left + right - p.whole;
        if (std::fabs(difference) <= 15 * p.eps) {
            result.value += left + right + difference / 15;
            result.estimatedError += std::fabs(difference) / 15;
            result.deepest = std::max(result.deepest, p.depth + 1);
            continue;
        }
        if (p.depth + 1 >= adaptiveDepthLimit || result.evaluations * steps >= adaptiveWorkLimit ||
            !(p.lo < mid && mid < p.hi))
            return Refusal{Reason::WorkLimit, {}, {}, mid};
        // The right half waits; the left is refined first, so the sum runs
        // from a to b.
        work.push_back({mid, p.hi, p.fmid, fr, p.fhi, right, p.eps / 2, p.depth + 1});
        work.push_back({p.lo, mid, p.flo, fl, p.fmid, left, p.eps / 2, p.depth + 1});
    }
    if (!std::isfinite(result.value))
        return Refusal{Reason::NonFiniteResult};
    return result;
}

} // namespace kvadrolab

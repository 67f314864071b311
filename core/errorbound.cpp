// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/errorbound.h"

#include "core/inputchecks.h"

#include "core/single.h"
#include "core/vectorstate.h"

#include <cmath>

namespace kvadrolab {

// The order of the operations below is deliberate: it fixes the last bits of
// each bound, and the charts' grid positions were designed against them.

double trapezoidBound(double a, double b, int subintervals)
{
    const double d = b - a;
    const double p = std::pow(d, 3);
    const double m = kM2 * p;
    const double t = -m;
    // 12 n^2 in double cannot overflow for any int n: it is at most 12 * 2^62,
    // where std::int64_t would overflow past n = 876 706 528. 12 n is exact, so
    // q is 12 n^2 rounded once, and exact whenever 12 n^2 < 2^53, that is for
    // |n| <= 27 397 079: the windows' 10..210 keep every bit of their bounds.
    const double q = subintervals * (subintervals * 12.0);
    return t / q;
}

double simpsonBoundOverPairs(double a, double b, int pairs)
{
    const double d = b - a;
    const double p = std::pow(d, 5);
    const double m = kM4 * p;
    const double t = -m;
    // 2n in double: exact for every int n, where 2n in int would overflow from
    // 2^30 pairs; below that it is the same number, so the bound is unchanged.
    const double q = std::pow(2.0 * pairs, 4) * 180;
    return t / q;
}

Result<Curve> boundCurve(BoundFunction bound, double a, double b)
{
    if (const auto checked = finite(a, b); !checked)
        return checked.refusal();
    // Called right after Qt, which may leave the AVX upper halves dirty.
    clearUpperVectorState();
    Curve curve{};
    int k = 0;
    for (int n = kCurveFirstN; n <= kCurveLastN; n += kCurveStepN, ++k) {
        // Both ends are computed afresh on every pass, as a plotted bound is.
        const double e1 = bound(a, b, n);
        const double e2 = bound(a, b, n + kCurveStepN);
        Segment &s = curve[k];
        s.x1 = static_cast<float>(n);
        s.x2 = static_cast<float>(n + kCurveStepN);
        const auto y1 = toSingle(e1), y2 = toSingle(e2);
        if (!y1 || !y2)
            return Refusal{Reason::BeyondSinglePrecision};
        s.y1 = *y1;
        s.y2 = *y2;
    }
    return curve;
}

} // namespace kvadrolab

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/errorbound.h"

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
    const int q =
        subintervals * (subintervals * 12); // exact: 12 n^2 needs more than 16 bits for n = 210
    return t / q;
}

double simpsonBoundOverPairs(double a, double b, int pairs)
{
    const double d = b - a;
    const double p = std::pow(d, 5);
    const double m = kM4 * p;
    const double t = -m;
    const double q = std::pow(static_cast<double>(pairs * 2), 4) * 180;
    return t / q;
}

Checked<Curve> boundCurve(BoundFunction bound, double a, double b)
{
    if (!std::isfinite(a) || !std::isfinite(b))
        return Checked<Curve>::refused(Refusal::NonFiniteInput);
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
            return Checked<Curve>::refused(Refusal::BeyondSinglePrecision);
        s.y1 = *y1;
        s.y2 = *y2;
    }
    return Checked<Curve>{curve};
}

} // namespace kvadrolab
